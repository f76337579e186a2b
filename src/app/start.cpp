#include <utility>

#include "app/app.h"

namespace varnock {

int RunApplication(HINSTANCE instance, Commands commands) {
  // The assembler's temporary files go to the current directory, so it must
  // be the program directory for the program's whole life. If the system
  // refuses, the program still runs in whatever directory it was started in.
  EnterProgramDirectory();
  StartUtilityModule();

  MainWindow window(instance, std::move(commands));
  if (!window.Created()) return 1;
  window.Show();

  // The window posts WM_QUIT when it is destroyed: then no window remains.
  MSG message = {};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (PreDispatchKey(window, message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace varnock
