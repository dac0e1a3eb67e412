// The process entry: the framework runs the start-up, then the event loop.

#include "app/App.h"
#include "app/MenuBar1.h"
#include "fw/gui/Application.h"

#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<App> app;

void startup() {
  app = std::make_unique<App>();
  app->SetMenuBar(&MenuBar1::shared());
  app->AddMenuHandler("FileNew", [] { return app->_FileNew_Action(); });
}

// One running instance per user receives the documents of later launches.
std::string singleInstanceKey() {
  return "halvorn-" + std::to_string(getuid());
}

} // namespace

int main(int argc, char** argv) {
  const int status = fw::RunApplication(argc, argv, startup, singleInstanceKey());
  app.reset();
  MenuBar1::releaseShared();
  return status;
}
