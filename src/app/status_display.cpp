#include "app/status_display.h"

#include "app/resource_ids.h"

std::optional<TextColor> LabelTextColor(int controlId, bool connected, bool lastOk) {
  switch (controlId) {
    case IDC_STATUS: return connected ? kGreenText : kRedText;
    case IDC_FAIL_COUNT: return kRedText;
    case IDC_SUCCESS_COUNT: return kGreenText;
    case IDC_RESULT: return lastOk ? kGreenText : kRedText;
    default: return std::nullopt;
  }
}

IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
