#include "predictor/ListNames.h"

#include "predictor/Text.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <span>
#include <unordered_set>
#include <utility>

namespace tide {

namespace {

using Replacement = std::pair<std::string_view, std::string_view>;

constexpr Replacement states[] = {
    {"Alabama", "AL"},
    {"Alaska", "AK"},
    {"American Samoa", "AS"},
    {"Arizona", "AZ"},
    {"Arkansas", "AR"},
    {"California", "CA"},
    {"Colorado", "CO"},
    {"Connecticut", "CT"},
    {"Delaware", "DE"},
    {"District of Columbia", "DC"},
    {"Florida", "FL"},
    {"Georgia", "GA"},
    {"Guam", "GU"},
    {"Hawaii", "HI"},
    {"Idaho", "ID"},
    {"Illinois", "IL"},
    {"Indiana", "IN"},
    {"Iowa", "IA"},
    {"Kansas", "KS"},
    {"Kentucky", "KY"},
    {"Louisiana", "LA"},
    {"Maine", "ME"},
    {"Marshall Islands", "MH"},
    {"Maryland", "MD"},
    {"Massachusetts", "MA"},
    {"Michigan", "MI"},
    {"Minnesota", "MN"},
    {"Mississippi", "MS"},
    {"Missouri", "MO"},
    {"Montana", "MT"},
    {"Nebraska", "NE"},
    {"Nevada", "NV"},
    {"New Hampshire", "NH"},
    {"New Jersey", "NJ"},
    {"New Mexico", "NM"},
    {"New York", "NY"},
    {"North Carolina", "NC"},
    {"North Dakota", "ND"},
    {"Ohio", "OH"},
    {"Oklahoma", "OK"},
    {"Oregon", "OR"},
    {"Pennsylvania", "PA"},
    {"Puerto Rico", "PR"},
    {"Rhode Island", "RI"},
    {"South Carolina", "SC"},
    {"South Dakota", "SD"},
    {"Tennessee", "TN"},
    {"Texas", "TX"},
    {"Utah", "UT"},
    {"Vermont", "VT"},
    {"Virgin Islands", "VI"},
    {"Virginia", "VA"},
    {"Washington", "WA"},
    {"West Virginia", "WV"},
    {"Wisconsin", "WI"},
    {"Wyoming", "WY"},
};

constexpr Replacement compassWords[] = {
    {"northeast", "NE"}, {"northwest", "NW"}, {"southeast", "SE"}, {"southwest", "SW"},
    {"north", "N"},      {"south", "S"},      {"east", "E"},       {"west", "W"},
    {"miles", "mi."},    {"mile", "mi."},
};

// In the order they are tried: the most common and least cryptic first.
constexpr Replacement commonWords[] = {
    {"entrance", "ent."}, {"Entrance", "Ent."}, {"Island", "I."},     {"Point", "Pt."},
    {"Channel", "Chan."}, {"Harbor", "Hbr."},   {"Passage", "Pass."}, {"Strait", "Str."},
    {"Sound", "Snd."},    {"River", "R."},      {"Creek", "Cr."},     {"Bridge", "Br."},
    {"bridge", "br."},    {"Light", "Lt."},     {"Inlet", "Inl."},    {"Mount", "Mt."},
    {"Fort", "Ft."},      {"Beach", "Bch."},    {"Landing", "Ldg."},  {"Station", "Sta."},
    {"Islands", "Is."},   {"Bay", "B."},
};

constexpr std::string_view currentEnding = " Current";
constexpr std::string_view depthOpening = "(Depth ";
// A cut that would lose more than this much of a word goes through the word instead.
constexpr std::size_t longestWordDropped = 12;
constexpr std::string_view cutDebris = " ,;(-";

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isWordChar(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isNormal(std::string_view name) {
  if (!name.empty() && (name.front() == ' ' || name.back() == ' '))
    return false;
  char previous = 0;
  for (const char c : name) {
    if ((isBlank(c) && c != ' ') || (c == ' ' && previous == ' '))
      return false;
    previous = c;
  }
  return true;
}

std::string normalised(std::string_view name) {
  if (isNormal(name))
    return std::string(name);
  std::string out;
  out.reserve(name.size());
  for (const char c : name) {
    const bool blank = isBlank(c);
    if (blank && (out.empty() || out.back() == ' '))
      continue;
    out.push_back(blank ? ' ' : c);
  }
  while (!out.empty() && out.back() == ' ')
    out.pop_back();
  return out;
}

bool fits(const std::string& body, const std::string& ending) {
  return body.size() + ending.size() <= ListNames::width;
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A closing " (sub)", " (2)" or " (16d)": what tells twin stations apart.
std::size_t markerStart(const std::string& name) {
  if (name.empty() || name.back() != ')')
    return std::string::npos;
  const std::size_t open = name.rfind(" (");
  if (open == std::string::npos)
    return std::string::npos;
  const std::string_view inside(name.data() + open + 2, name.size() - open - 3);
  if (inside == "sub")
    return open;
  std::size_t digits = 0;
  while (digits < inside.size() && isDigit(inside[digits]))
    ++digits;
  const bool numbered = digits > 0 && (digits == inside.size() ||
                                       (digits + 1 == inside.size() && inside[digits] == 'd'));
  return numbered ? open : std::string::npos;
}

// Splits the kind-telling ending (" Current", a marker) off the name.
std::pair<std::string, std::string> splitEnding(const std::string& name) {
  std::string body = name;
  std::string ending;
  const std::size_t marker = markerStart(body);
  if (marker != std::string::npos) {
    ending = body.substr(marker);
    body.erase(marker);
  }
  if (endsWith(body, currentEnding)) {
    ending.insert(0, currentEnding);
    body.erase(body.size() - currentEnding.size());
  }
  return {body, ending};
}

void abbreviateState(std::string& body) {
  for (const auto& [state, code] : states) {
    const bool last = endsWith(body, state) && body.size() >= state.size() + 2 &&
                      body.compare(body.size() - state.size() - 2, 2, ", ") == 0;
    if (last) {
      body.replace(body.size() - state.size(), state.size(), code);
      return;
    }
  }
}

void dropDepthWord(std::string& body) {
  std::size_t pos = 0;
  while ((pos = body.find(depthOpening, pos)) != std::string::npos)
    body.erase(pos + 1, depthOpening.size() - 1);
}

// The rank of a word in the tables above (compass words first), or -1.
int wordRank(std::string_view word) {
  constexpr std::size_t shortestWord = 3;
  constexpr std::size_t longestWord = 9;
  if (word.size() < shortestWord || word.size() > longestWord)
    return -1;
  int rank = 0;
  for (const auto& table :
       {std::span<const Replacement>(compassWords), std::span<const Replacement>(commonWords)})
    for (const auto& [long_, short_] : table) {
      if (long_ == word)
        return rank;
      ++rank;
    }
  return -1;
}

std::string_view abbreviationOfRank(int rank) {
  const std::size_t compass = std::size(compassWords);
  const auto index = static_cast<std::size_t>(rank);
  return index < compass ? compassWords[index].second : commonWords[index - compass].second;
}

// Abbreviates whole words, one kind of word at a time in table order, until
// the name fits.
void abbreviateWords(std::string& body, const std::string& ending) {
  struct Word {
    std::size_t start;
    std::size_t length;
    int rank;
  };
  std::vector<Word> words;
  for (std::size_t i = 0; i < body.size();) {
    if (!isWordChar(body[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < body.size() && isWordChar(body[end]))
      ++end;
    const int rank = wordRank(std::string_view(body).substr(i, end - i));
    if (rank >= 0)
      words.push_back(Word{i, end - i, rank});
    i = end;
  }
  const int ranks = static_cast<int>(std::size(compassWords) + std::size(commonWords));
  std::size_t length = body.size();
  int applied = 0; // ranks below this are abbreviated
  while (length + ending.size() > ListNames::width && applied < ranks) {
    for (const Word& word : words)
      if (word.rank == applied)
        length -= word.length - abbreviationOfRank(word.rank).size();
    ++applied;
  }
  if (applied == 0)
    return;
  std::string shorter;
  shorter.reserve(length);
  std::size_t copied = 0;
  for (const Word& word : words) {
    if (word.rank >= applied)
      continue;
    shorter.append(body, copied, word.start - copied);
    shorter.append(abbreviationOfRank(word.rank));
    copied = word.start + word.length;
  }
  shorter.append(body, copied);
  body = std::move(shorter);
}

// The last "(…ft)" of the body, where several current stations at one place differ.
std::size_t depthStart(const std::string& body) {
  const std::size_t open = body.rfind('(');
  if (open == std::string::npos)
    return std::string::npos;
  const std::size_t close = body.find(')', open);
  if (close == std::string::npos || close < 3 || body.compare(close - 2, 2, "ft") != 0)
    return std::string::npos;
  for (std::size_t i = open + 1; i < close - 2; ++i)
    if (!isDigit(body[i]) && body[i] != '.')
      return std::string::npos;
  return open;
}

std::string cutAtWord(const std::string& text, std::size_t bytes) {
  std::string cut(utf8Prefix(text, bytes));
  if (cut.size() < text.size() && isWordChar(text[cut.size()])) {
    const std::size_t space = cut.rfind(' ');
    if (space != std::string::npos && cut.size() - space <= longestWordDropped)
      cut.erase(space);
  }
  while (!cut.empty() && cutDebris.find(cut.back()) != std::string_view::npos)
    cut.pop_back();
  return cut;
}

// Cuts the body to `room` bytes, keeping a depth that the cut would lose.
std::string cutBody(const std::string& body, std::size_t room) {
  const std::size_t depth = depthStart(body);
  if (depth != std::string::npos) {
    const std::size_t depthEnd = body.find(')', depth) + 1;
    const std::string kept = " " + body.substr(depth, depthEnd - depth);
    if (depthEnd > room && kept.size() < room)
      return cutAtWord(body.substr(0, depth), room - kept.size()) + kept;
  }
  return cutAtWord(body, room);
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct CaselessHash {
  std::size_t operator()(std::string_view text) const {
    // List names are short: lower them on the stack and hash the bytes.
    char lowered[ListNames::width + 1];
    if (text.size() > sizeof lowered)
      text = text.substr(0, sizeof lowered);
    for (std::size_t i = 0; i < text.size(); ++i)
      lowered[i] = lowerAscii(text[i]);
    return std::hash<std::string_view>()(std::string_view(lowered, text.size()));
  }
};

struct CaselessEqual {
  bool operator()(std::string_view a, std::string_view b) const { return equalsIgnoringCase(a, b); }
};

std::string withNumber(const std::string& name, int number) {
  const std::string suffix = " #" + std::to_string(number);
  return cutAtWord(name, ListNames::width - suffix.size()) + suffix;
}

} // namespace

bool ListNames::keepsName(std::string_view fullName) {
  return fullName.size() <= width && isNormal(fullName);
}

std::string ListNames::shorten(std::string_view fullName) {
  const std::string name = normalised(fullName);
  if (name.size() <= width)
    return name;
  auto [body, ending] = splitEnding(name);
  if (!fits(body, ending))
    abbreviateState(body);
  if (!fits(body, ending))
    dropDepthWord(body);
  abbreviateWords(body, ending);
  if (!fits(body, ending))
    body = cutBody(body, width - std::min(ending.size(), width));
  std::string result = body + ending;
  if (result.size() > width)
    result = cutAtWord(result, width);
  return result;
}

std::vector<std::string> ListNames::make(const std::vector<std::string>& fullNames) {
  std::vector<std::string> names(fullNames.size());
  std::vector<bool> shortened(fullNames.size());
  for (std::size_t i = 0; i < fullNames.size(); ++i) {
    const std::string& full = fullNames[i];
    shortened[i] = !keepsName(full);
    names[i] = shortened[i] ? shorten(full) : full;
  }
  // Views into `names`: an entry is changed only before its view goes in.
  std::unordered_set<std::string_view, CaselessHash, CaselessEqual> taken;
  taken.reserve(names.size() * 2);
  auto claim = [&](std::size_t i) {
    for (int number = 2; taken.count(names[i]) != 0; ++number)
      names[i] = withNumber(shorten(fullNames[i]), number);
    taken.insert(names[i]);
  };
  for (const bool secondRound : {false, true})
    for (std::size_t i = 0; i < names.size(); ++i)
      if (shortened[i] == secondRound)
        claim(i);
  return names;
}

} // namespace tide
