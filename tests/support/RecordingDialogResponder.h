#pragma once
// A dialog responder for tests: each dialog takes the next queued answer
// (cancel when its queue is empty) and every call is recorded with its
// arguments. ScopedDialogResponder installs one for the length of a test.

#include "fw/FolderItem.h"
#include "fw/gui/Dialogs.h"

#include <algorithm>
#include <deque>
#include <memory>
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
  std::deque<std::optional<fw::FolderItem>> openAnswers, saveAnswers, folderAnswers;
  std::vector<DialogCall> calls;

  void answerOpen(const std::string& path) { openAnswers.emplace_back(fw::FolderItem(path)); }
  void answerSave(const std::string& path) { saveAnswers.emplace_back(fw::FolderItem(path)); }
  void answerFolder(const std::string& path) { folderAnswers.emplace_back(fw::FolderItem(path)); }

  int count(DialogCall::Kind kind) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [kind](const DialogCall& c) { return c.kind == kind; }));
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const DialogCall& c : calls)
      if (c.kind == DialogCall::Kind::MsgBox)
        texts.push_back(c.message);
    return texts;
  }

  void MsgBox(const std::string& message) override {
    calls.push_back({DialogCall::Kind::MsgBox, message, {}, {}});
  }
  std::optional<fw::FolderItem> GetOpenFolderItem(const std::string& fileType) override {
    calls.push_back({DialogCall::Kind::Open, {}, fileType, {}});
    return next(openAnswers);
  }
  std::optional<fw::FolderItem> GetSaveFolderItem(const std::string& fileType,
                                                  const std::string& suggestedName) override {
    calls.push_back({DialogCall::Kind::Save, {}, fileType, suggestedName});
    return next(saveAnswers);
  }
  std::optional<fw::FolderItem> SelectFolder() override {
    calls.push_back({DialogCall::Kind::SelectFolder, {}, {}, {}});
    return next(folderAnswers);
  }

private:
  static std::optional<fw::FolderItem> next(std::deque<std::optional<fw::FolderItem>>& answers) {
    if (answers.empty())
      return std::nullopt;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

// Installs a fresh recording responder and puts the previous one back after.
class ScopedDialogResponder {
public:
  ScopedDialogResponder()
      : responder_(std::make_shared<RecordingDialogResponder>()),
        previous_(fw::setDialogResponder(responder_)) {}
  ~ScopedDialogResponder() { fw::setDialogResponder(previous_); }
  ScopedDialogResponder(const ScopedDialogResponder&) = delete;
  ScopedDialogResponder& operator=(const ScopedDialogResponder&) = delete;

  RecordingDialogResponder* operator->() const { return responder_.get(); }

private:
  std::shared_ptr<RecordingDialogResponder> responder_;
  std::shared_ptr<fw::DialogResponder> previous_;
};
