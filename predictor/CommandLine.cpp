#include "predictor/CommandLine.h"

#include "predictor/Text.h"

#include <string_view>

namespace tide {

namespace {

constexpr std::string_view optionsWithValue = "mfbeslzu";

Failure usage(const std::string& message) {
  return Failure{message, Failure::badCommandLine};
}

Failure badValue(char option, const std::string& value, const std::string& expected) {
  return usage("unknown value \"" + printable(value) + "\" for -" + option + " (" + expected + ")");
}

} // namespace

std::optional<Failure> CommandLine::apply(char option, const std::string& value,
                                          TideOptions& options) {
  switch (option) {
  case 'm':
    if (value == "l")
      options.mode = Mode::list;
    else if (value == "m")
      options.mode = Mode::mediumRare;
    else
      return badValue(option, value, "l or m");
    return std::nullopt;
  case 'f':
    if (value != "t")
      return badValue(option, value, "only t, plain text, is supported");
    return std::nullopt;
  case 'z':
    if (value != "y" && value != "n")
      return badValue(option, value, "y or n");
    options.utc = value == "y";
    return std::nullopt;
  case 'u':
    if (value == "ft")
      options.units = UnitChoice::feet;
    else if (value == "m")
      options.units = UnitChoice::meters;
    else
      return badValue(option, value, "ft or m");
    return std::nullopt;
  case 'l':
    options.station = value;
    return std::nullopt;
  case 'b':
  case 'e': {
    const auto when = parseDateTime(value);
    if (!when)
      return Failure{"malformed date \"" + printable(value) + "\" for -" + option +
                     " (expected YYYY-MM-DD HH:MM)"};
    (option == 'b' ? options.begin : options.end) = when;
    return std::nullopt;
  }
  case 's': {
    const auto step = parseStep(value);
    if (!step)
      return Failure{"malformed step \"" + printable(value) + "\" (expected H:MM)"};
    if (*step <= 0)
      return Failure{"the step must be longer than 0:00"};
    options.step = *step;
    return std::nullopt;
  }
  default:
    return usage("unknown option -" + std::string(1, option));
  }
}

std::variant<TideOptions, Failure> CommandLine::parse(const std::vector<std::string>& arguments) {
  TideOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument[0] != '-')
      return usage("unexpected argument \"" + printable(argument) + "\"");
    const char option = argument[1];
    if (option == 'v' && argument.size() == 2) {
      options.version = true;
      continue;
    }
    if (optionsWithValue.find(option) == std::string_view::npos)
      return usage("unknown option " + printable(argument));
    std::string value;
    if (argument.size() > 2) {
      value = argument.substr(2);
    } else {
      if (i + 1 >= arguments.size())
        return usage("option -" + std::string(1, option) + " needs a value");
      value = arguments[++i];
    }
    if (auto failure = apply(option, value, options))
      return *failure;
  }
  return options;
}

} // namespace tide
