#pragma once
// From the process entry to the event loop and back:
//
//   _Main --RunApplication--> _Startup: _InitFileTypes, _NewAppInstance,
//         _ApplicationAddMenuHandlers --> Open, NewDocument or OpenDocument
//         --> event loop until Quit or the last window closes
//         --> release: menu bar, then the file types, then the App.
//
// A launch while another instance of the same user runs hands its documents
// to that instance and returns 0 without starting anything.

#include <string>

class App;

// The whole run; the result is the process's exit status.
int _Main(int argc, char** argv);

void _Startup();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();

// The App made by _NewAppInstance; nullptr before it and after the run.
App* theApp();

// The name of the running instance's socket, one per user.
std::string singleInstanceKey();
