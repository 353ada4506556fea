#include "app/about/about_box.h"

#include "app/hookclient/mouse_hook.h"

namespace tresk {

// Temporary until the About window lands.
void ShowAbout(const std::string&, std::int32_t, HBITMAP) { StartMouseHook(); }

}  // namespace tresk
