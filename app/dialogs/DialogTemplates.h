// The dialogs of both programs as data: every control with its ID, kind, initial text,
// position, style and place in the tab order. The Windows resources are compiled from the same
// lists (the .def files beside this one), so every front end draws the same dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/dialogs/ControlIds.h"
#include "app/dialogs/WindowStyles.h"
#include "discovery/Edition.h"

namespace app {

enum class ControlKind { ListBox, Edit, Button, Static, Icon };

struct ControlTemplate {
  ControlKind kind;
  const char* text;  // the initial text
  int id;            // IDC_NONE for a label nobody addresses
  int x, y, width, height;
  uint32_t style;  // besides WS_CHILD | WS_VISIBLE, which every control has
};

struct DialogTemplate {
  int id;
  int width, height;
  uint32_t style;
  const char* title;
  std::span<const ControlTemplate> controls;  // in tab order

  // The control with this ID, or null.
  const ControlTemplate* control(int controlId) const;
};

struct EditionDialogs {
  DialogTemplate main;   // dialog 102
  DialogTemplate about;  // dialog 100
  const char* aboutItem;  // string 101, the system menu's About item
};

const EditionDialogs& editionDialogs(discovery::Edition edition);

}  // namespace app
