/* Turns the dialog lists of app/dialogs into resource statements: each program's .rc defines
   these macros with this header and then includes its list. Every control is a visible child;
   the styles, positions and tab order are the list's. */
#ifndef VELKOR_DIALOG_RESOURCES_H
#define VELKOR_DIALOG_RESOURCES_H

#include <windows.h>

#include "app/dialogs/ControlIds.h"

#define DIALOG_CLASS_ListBox "ListBox"
#define DIALOG_CLASS_Edit "Edit"
#define DIALOG_CLASS_Button "Button"
#define DIALOG_CLASS_Static "Static"

#define DIALOG_BEGIN(name, id, width, height, style, title) \
  id DIALOGEX 0, 0, width, height STYLE style CAPTION title FONT 8, "MS Sans Serif" BEGIN
#define DIALOG_CONTROL(kind, text, id, x, y, width, height, style) \
  CONTROL text, id, DIALOG_CLASS_##kind, WS_CHILD | WS_VISIBLE | style, x, y, width, height
#define DIALOG_ICON(icon, id, x, y, width, height) ICON icon, id, x, y, width, height
#define DIALOG_END END
#define DIALOG_STRING(name, id, text) STRINGTABLE BEGIN id, text END

#endif
