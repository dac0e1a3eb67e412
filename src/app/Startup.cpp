#include "app/Startup.h"

#include "app/App.h"
#include "app/FileTypes.h"
#include "app/MenuBar1.h"
#include "fw/gui/Application.h"

#include <memory>
#include <unistd.h>

namespace {

std::unique_ptr<App> app;

// Windows are gone by now; what they shared goes in the order it was made.
void releaseGlobals() {
  MenuBar1::releaseShared();
  FileTypes::release();
  app.reset();
}

} // namespace

int _Main(int argc, char** argv) {
  const int status = fw::RunApplication(argc, argv, _Startup, singleInstanceKey());
  releaseGlobals();
  return status;
}

void _Startup() {
  _InitFileTypes();
  _NewAppInstance();
  _ApplicationAddMenuHandlers();
}

void _InitFileTypes() {
  FileTypes::_Initialize();
}

void _NewAppInstance() {
  app = std::make_unique<App>();
  app->SetMenuBar(&MenuBar1::shared());
}

void _ApplicationAddMenuHandlers() {
  App* application = app.get();
  application->AddMenuHandler("FileNew", [application] { return application->_FileNew_Action(); });
}

App* theApp() {
  return app.get();
}

std::string singleInstanceKey() {
  return "halvorn-" + std::to_string(getuid());
}
