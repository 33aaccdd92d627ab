// Unsaved text after the process is killed: the recovery copies from outside, the question at
// the next start and what each answer leaves behind.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf.h"
#include "document/recovery_format.h"
#include "driver.h"

namespace {

// The text of a copy in the folder, when it is a whole copy.
bool CopyText(const std::u16string& name, std::string* text, RecoveryMeta* meta = nullptr) {
  const std::string bytes = ReadBytes(RecoveryFolder() + u"\\" + name);
  RecoveryMeta m;
  std::string_view t;
  if (ReadRecoveryFile(bytes, &m, &t) != RecoveryRead::Ok) return false;
  *text = std::string(t);
  if (meta) *meta = m;
  return true;
}

// Waits until some copy in the folder holds exactly `text`.
bool WaitForCopyOf(const std::string& text) {
  return WaitUntil(
      [&] {
        for (const std::u16string& name : RecoveryFiles(u"*.nrc")) {
          std::string held;
          if (CopyText(name, &held) && held == text) return true;
        }
        return false;
      },
      20000);
}

void TypeText(HWND editor, const std::string& text) {
  for (char c : text) PostMessageW(editor, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 0);
}

const std::u16string kQuestionStart = u"Norvo found unsaved text from a session that ended unexpectedly:\n\n";

class Recovery : public ScratchTest {
 protected:
  Recovery() : ScratchTest(u"recovery") {}
  // Copies left by a failed test would be questions in the next.
  void TearDown() override {
    for (const std::u16string& name : RecoveryFiles(u"*")) DeleteFileW(W(RecoveryFolder() + u"\\" + name));
  }

  // Starts Norvo, types `text` into its document and waits for the copy that holds it.
  void TypeAndWaitForCopy(Program& norvo, const std::u16string& title, const std::string& text,
                          const std::string& before = "") {
    HWND main = norvo.WaitForWindow(u"NorvoMainWindow", title);
    ASSERT_NE(main, nullptr);
    HWND editor = ChildById(main, 1);
    SendMessageW(editor, SCI_DOCUMENTEND, 0, 0);
    TypeText(editor, text);
    ASSERT_TRUE(WaitUntil([&] { return EditorText(editor) == before + text; }));
    ASSERT_TRUE(WaitForCopyOf(before + text));
  }
  // The question of the next start; its text, and the box to answer.
  HWND Question(Program& norvo, std::u16string* text) {
    HWND box = norvo.WaitForWindow(u"#32770", u"Norvo - Recovery", 20000);
    if (box) *text = WindowText(ChildById(box, 2500));
    return box;
  }
  // A start that shows no message before its message loop runs, and an empty document.
  static void StartWithoutAQuestion() {
    Program norvo(NorvoExe(), {}, /*traced=*/true);
    ASSERT_TRUE(norvo.WaitForTrace("Norvo: Entering message loop"));
    EXPECT_EQ(norvo.WaitForWindow(u"#32770", u"", 0), nullptr);
    HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
    ASSERT_NE(main, nullptr);
    CloseAndExpectExitZero(norvo, main);
  }
  // Closes a window whose document is modified with "Don't Save".
  void CloseDiscarding(Program& norvo, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    HWND box = norvo.WaitForWindow(u"#32770", u"Norvo");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, 2502, 0);
    EXPECT_EQ(norvo.WaitForExit(), 0u);
  }
};

TEST_F(Recovery, UntitledTextComesBackAfterTheProcessIsKilled) {
  const std::string typed = "typed before the crash, then more";
  {
    Program norvo(NorvoExe(), {});
    TypeAndWaitForCopy(norvo, u"Norvo - Untitled", typed);
    norvo.Kill();
  }
  ASSERT_EQ(RecoveryFiles(u"*.nrc").size(), 1u);
  Program norvo(NorvoExe(), {});
  std::u16string text;
  HWND box = Question(norvo, &text);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text.substr(0, kQuestionStart.size() + 11), kQuestionStart + u"Untitled  (");
  EXPECT_EQ(text.substr(text.size() - 14), u")\n\nRestore it?");
  PostMessageW(box, WM_COMMAND, 2501, 0);  // Yes
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled *");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(EditorText(ChildById(main, 1)), typed);
  // The restored text keeps its copy while it runs, and a clean end removes it.
  EXPECT_EQ(RecoveryFiles(u"*.nrc").size(), 1u);
  CloseDiscarding(norvo, main);
  EXPECT_TRUE(RecoveryFiles(u"*.nrc").empty());
  EXPECT_TRUE(RecoveryFiles(u"*.old").empty());
}

// The command line names the file whose copy waits: the question comes before the load, and
// Yes gives the typed text with the file's line ends while the file on disk stays as it was.
TEST_F(Recovery, AFileOnTheCommandLineIsAskedAboutBeforeItIsLoaded) {
  const std::string original = "first\nsecond\n";
  std::u16string path = File(u"notes.txt", original);
  {
    Program norvo(NorvoExe(), {path});
    TypeAndWaitForCopy(norvo, u"Norvo - notes.txt", "third", original);
    norvo.Kill();
  }
  EXPECT_EQ(ReadBytes(path), original);
  Program norvo(NorvoExe(), {path});
  std::u16string text;
  HWND box = Question(norvo, &text);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text.substr(0, kQuestionStart.size() + 12), kQuestionStart + u"notes.txt  (");
  EXPECT_EQ(text.find(u"changed on disk"), std::u16string::npos);
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), u"Norvo - Untitled");  // not loaded while the question waits
  PostMessageW(box, WM_COMMAND, 2501, 0);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - notes.txt *"; }));
  HWND editor = ChildById(main, 1);
  EXPECT_EQ(EditorText(editor), original + "third");
  EXPECT_EQ(SendMessageW(editor, SCI_GETEOLMODE, 0, 0), SC_EOL_LF);
  EXPECT_EQ(ReadBytes(path), original);
  CloseDiscarding(norvo, main);
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_TRUE(RecoveryFiles(u"*.nrc").empty());
}

TEST_F(Recovery, NoKeepsTheCopyAsOldAndAsksNoMore) {
  {
    Program norvo(NorvoExe(), {});
    TypeAndWaitForCopy(norvo, u"Norvo - Untitled", "not wanted");
    norvo.Kill();
  }
  {
    Program norvo(NorvoExe(), {});
    std::u16string text;
    HWND box = Question(norvo, &text);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, 2502, 0);  // No
    HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(EditorText(ChildById(main, 1)), "");
    CloseAndExpectExitZero(norvo, main);
  }
  const std::vector<std::u16string> old = RecoveryFiles(u"*.old");
  ASSERT_EQ(old.size(), 1u);
  std::string kept;
  EXPECT_TRUE(CopyText(old[0], &kept));
  EXPECT_EQ(kept, "not wanted");
  EXPECT_TRUE(RecoveryFiles(u"*.nrc").empty());
  StartWithoutAQuestion();
}

TEST_F(Recovery, SavingAndACleanCloseLeaveNoCopy) {
  std::u16string path = File(u"saved.txt", "start");
  Program norvo(NorvoExe(), {path});
  TypeAndWaitForCopy(norvo, u"Norvo - saved.txt", " more", "start");
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - saved.txt *");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 1003, 0);  // Save
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - saved.txt"; }));
  EXPECT_TRUE(WaitUntil([] { return RecoveryFiles(u"*.nrc").empty(); }));
  TypeAndWaitForCopy(norvo, u"Norvo - saved.txt", "!", "start more");
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = norvo.WaitForWindow(u"#32770", u"Norvo");
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, 2501, 0);  // Save
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(path), "start more!");
  EXPECT_TRUE(RecoveryFiles(u"*").empty());
}

// Two windows keep a copy each; a start after one of them was killed asks only about that one.
TEST_F(Recovery, TwoInstancesEachRestoreOnlyTheirOwn) {
  Program first(NorvoExe(), {});
  TypeAndWaitForCopy(first, u"Norvo - Untitled", "from the first");
  Program second(NorvoExe(), {});
  TypeAndWaitForCopy(second, u"Norvo - Untitled", "from the second");
  ASSERT_EQ(RecoveryFiles(u"*.nrc").size(), 2u);
  first.Kill();
  {
    Program third(NorvoExe(), {});
    std::u16string text;
    HWND box = Question(third, &text);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, 2501, 0);
    HWND main = third.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled *");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(EditorText(ChildById(main, 1)), "from the first");
    // One question only: the second window's copy belongs to a running instance.
    EXPECT_EQ(third.WaitForWindow(u"#32770", u"Norvo - Recovery", 0), nullptr);
    CloseDiscarding(third, main);
  }
  std::string held;
  const std::vector<std::u16string> left = RecoveryFiles(u"*.nrc");
  ASSERT_EQ(left.size(), 1u);
  ASSERT_TRUE(CopyText(left[0], &held));
  EXPECT_EQ(held, "from the second");
  HWND secondMain = second.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled *");
  ASSERT_NE(secondMain, nullptr);
  CloseDiscarding(second, secondMain);
  EXPECT_TRUE(RecoveryFiles(u"*.nrc").empty());
}

TEST_F(Recovery, ADamagedCopyIsReportedOnceAndNotLoaded) {
  RecoveryMeta meta;
  std::string bytes = BuildRecoveryFile(meta, "half of this is lost");
  bytes[bytes.size() - 8] ^= 0x20;  // one bit of the text
  CreateDirectoryW(W(RecoveryFolder()), nullptr);
  ASSERT_TRUE(WriteBytes(RecoveryFolder() + u"\\ended-1.nrc", bytes));
  {
    Program norvo(NorvoExe(), {});
    HWND box = norvo.WaitForWindow(u"#32770", u"Norvo - Recovery", 20000);
    ASSERT_NE(box, nullptr);
    const std::u16string text = WindowText(ChildById(box, 2500));
    EXPECT_NE(text.find(u"damaged"), std::u16string::npos);
    EXPECT_NE(text.find(u".damaged"), std::u16string::npos);  // where it was kept
    EXPECT_EQ(ChildById(box, 2502), nullptr);                 // nothing to choose
    PostMessageW(box, WM_COMMAND, 2501, 0);
    HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(EditorText(ChildById(main, 1)), "");
    CloseAndExpectExitZero(norvo, main);
  }
  EXPECT_EQ(RecoveryFiles(u"*.damaged").size(), 1u);
  EXPECT_TRUE(RecoveryFiles(u"*.nrc").empty());
  StartWithoutAQuestion();
}

}  // namespace
