#pragma once
// Status-line texts that more than one part of the main window writes.

constexpr const char* kNoDatabaseStatus =
    "Cannot find tides, cannot find a version of the harmonics database";
