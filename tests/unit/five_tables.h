// Tables for the scan's tests that know the Win32 code 5 and every name they are asked.
#pragma once

#include "core/answers.h"

namespace quillon {

inline ReadingAnswer AnswerKnowingFive(const Reading& reading) {
  ReadingAnswer answer{reading, {}, {}};
  if (reading.kind == ReadingKind::Name || reading.value == 5) {
    KindAnswer match;
    match.names = {{"ERROR_ACCESS_DENIED", "winerror.h"}};
    answer.matches.push_back(match);
  }
  return answer;
}

}  // namespace quillon
