// One message box as it was shown: what the conformance checks read of the real runtime's boxes,
// and what the stand-in's recording sink keeps (tests/fakes/recording_message_boxes.h).
#pragma once

#include "platform/api.h"

struct ShownMessage {
  WString text;
  WString caption;
  UINT type;  // the MB_ icon and button bits the box was shown with
};
