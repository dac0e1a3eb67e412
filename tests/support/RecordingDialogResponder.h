#pragma once
// A dialog responder for tests: each dialog takes the next answer queued for
// its kind (cancel when there is none) and every call is recorded with its
// arguments.

#include "fw/FolderItem.h"
#include "fw/gui/Dialogs.h"

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct DialogCall {
  enum class Kind { MsgBox, Open, Save, SelectFolder };
  Kind kind;
  std::string message;       // MsgBox
  std::string fileType;      // Open, Save
  std::string suggestedName; // Save
};

class RecordingDialogResponder : public fw::DialogResponder {
public:
  using Kind = DialogCall::Kind;
  std::map<Kind, std::deque<fw::FolderItem>> answers;
  std::vector<DialogCall> calls;

  void answerOpen(const std::string& path) { answers[Kind::Open].emplace_back(path); }
  void answerSave(const std::string& path) { answers[Kind::Save].emplace_back(path); }
  void answerFolder(const std::string& path) { answers[Kind::SelectFolder].emplace_back(path); }

  int count(Kind kind) const {
    return static_cast<int>(std::ranges::count(calls, kind, &DialogCall::kind));
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const DialogCall& c : calls)
      if (c.kind == Kind::MsgBox)
        texts.push_back(c.message);
    return texts;
  }

  void MsgBox(const std::string& message) override { record({Kind::MsgBox, message, {}, {}}); }
  std::optional<fw::FolderItem> GetOpenFolderItem(const std::string& fileType) override {
    return record({Kind::Open, {}, fileType, {}});
  }
  std::optional<fw::FolderItem> GetSaveFolderItem(const std::string& fileType,
                                                  const std::string& suggestedName) override {
    return record({Kind::Save, {}, fileType, suggestedName});
  }
  std::optional<fw::FolderItem> SelectFolder() override {
    return record({Kind::SelectFolder, {}, {}, {}});
  }

private:
  std::optional<fw::FolderItem> record(DialogCall call) {
    calls.push_back(call);
    std::deque<fw::FolderItem>& queue = answers[call.kind];
    if (queue.empty())
      return std::nullopt;
    std::optional<fw::FolderItem> answer = queue.front();
    queue.pop_front();
    return answer;
  }
};
