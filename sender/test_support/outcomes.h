// The result messages the installer would show for a sender's chunks, in order.
#pragma once

#include <string>
#include <vector>

#include "installer/sender_output.h"

inline std::vector<Outcome> Outcomes(const std::vector<std::string>& chunks) {
  std::vector<Outcome> outcomes;
  for (const std::string& chunk : chunks) {
    for (const DisplayStep& step : InterpretChunk(chunk).steps) {
      if (step.kind == StepKind::ShowMessage) outcomes.push_back(step.outcome);
    }
  }
  return outcomes;
}
