#include "app/dialogs/DialogTemplates.h"

namespace app {
namespace {

#define DIALOG_BEGIN(name, id, width, height, style, title)                   \
  constexpr int name##Id = id, name##Width = width, name##Height = height; \
  constexpr uint32_t name##Style = style;                                  \
  constexpr const char* name##Title = title;                               \
  constexpr ControlTemplate name##Controls[] = {
#define DIALOG_CONTROL(kind, text, id, x, y, width, height, style) \
  {ControlKind::kind, text, id, x, y, width, height, style},
#define DIALOG_ICON(icon, id, x, y, width, height) \
  {ControlKind::Icon, "", id, x, y, width, height, SS_ICON},
#define DIALOG_END \
  }                \
  ;
#define DIALOG_STRING(name, id, text) constexpr const char* name = text;

#include "app/dialogs/VelkorDialogs.def"
#include "app/dialogs/VelkorflashDialogs.def"

#undef DIALOG_BEGIN
#undef DIALOG_CONTROL
#undef DIALOG_ICON
#undef DIALOG_END
#undef DIALOG_STRING

#define DIALOG_TEMPLATE(name) \
  DialogTemplate { name##Id, name##Width, name##Height, name##Style, name##Title, name##Controls }

const EditionDialogs kFullDialogs{DIALOG_TEMPLATE(FullMain), DIALOG_TEMPLATE(FullAbout),
                                  FullAboutItem};
const EditionDialogs kUpdateOnlyDialogs{DIALOG_TEMPLATE(UpdateOnlyMain),
                                        DIALOG_TEMPLATE(UpdateOnlyAbout), UpdateOnlyAboutItem};

}  // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const {
  for (const ControlTemplate& each : controls) {
    if (each.id == controlId) return &each;
  }
  return nullptr;
}

const EditionDialogs& editionDialogs(discovery::Edition edition) {
  return edition == discovery::Edition::UpdateOnly ? kUpdateOnlyDialogs : kFullDialogs;
}

}  // namespace app
