#pragma once
// The controls, dialogs and services that TFlashForm drives. The Qt and Win32
// front ends implement them with real widgets; tests implement them with
// recording fakes, and one contract suite holds all three to what is written
// here. Positions and sizes are in design pixels (120 DPI): each front end
// scales them to the screen.
//
// Lists and indexes, the same for every list:
// - Item, Insert and Delete with an index out of range throw
//   std::out_of_range ("List index out of bounds (N)"): reading or removing
//   an entry that is not there is a fault of the caller, never a silent "".
//   Insert takes 0..Count(), Count() meaning at the end.
// - SetItemIndex with an index out of range selects nothing (-1), as -1 does.
// - Texts are single-byte strings and come back byte for byte.
// - Nothing the program does raises an event; only the user's actions do.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Answer.h"

namespace cdflash {

class ISystemServices;

// The exception of an index out of range, for every list implementation.
inline void CheckListIndex(int index, int count) {
  if (index < 0 || index >= count) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
}

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Bounds&) const = default;
};

// What every control offers: geometry in design pixels and visibility.
class IControl {
 public:
  virtual ~IControl() = default;
  virtual Bounds GetBounds() const = 0;
  virtual void SetTop(int top) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

class ILabel : public virtual IControl {
 public:
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

// Selection-only drop-down list. Setting the selection by program raises no
// change event.
class IComboBox : public virtual IControl {
 public:
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual void Add(const std::string& text) = 0;
  virtual void Insert(int index, const std::string& text) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int ItemIndex() const = 0;  // -1: no selection
  virtual void SetItemIndex(int index) = 0;
  virtual void Repaint() = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// The list of BIN files. It shows the names it is given, in the order given;
// the form lists the directory and matches the mask (common/FileMask.h).
class IFileListBox : public virtual IControl {
 public:
  // Replaces the entries; no entry is selected afterwards.
  virtual void SetItems(const std::vector<std::string>& names) = 0;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual int ItemIndex() const = 0;  // -1: no selection
  virtual void SetItemIndex(int index) = 0;
};

class IGroupBox : public virtual IControl {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void Repaint() = 0;
};

class IProgressBar : public virtual IControl {
 public:
  virtual void SetRange(long long minimum, long long maximum) = 0;
  virtual long long Minimum() const = 0;
  virtual long long Maximum() const = 0;
  virtual void SetPosition(long long position) = 0;
  virtual long long Position() const = 0;
  virtual void SetStep(long long step) = 0;
  virtual long long Step() const = 0;
  virtual void StepIt() = 0;           // position += step, clamped to the maximum
  virtual void StepBy(long long delta) = 0;
};

class IButton : public virtual IControl {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// The main window itself.
class IWindow {
 public:
  virtual ~IWindow() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void Close() = 0;
  // While blocked, the window refuses every request to close it (the close
  // button, Alt+F4, the system's end-of-session query); Close() above still
  // closes it.
  virtual void SetCloseBlocked(bool blocked) = 0;
};

// The controls of the form, by the names the form gives them.
struct FormControls {
  IWindow* window = nullptr;
  ILabel* SelectDriveLabel = nullptr;
  IFileListBox* FileListBox1 = nullptr;
  IComboBox* ComboBox = nullptr;
  IGroupBox* GroupBox2 = nullptr;
  IProgressBar* ProgressBar = nullptr;
  IButton* FlashButton = nullptr;
};

// Modal message boxes, centred on the screen. Titles and buttons are the
// toolkit's standard ones: "Warning", "Error", "Confirm", the application
// title for a plain box; "&Yes", "&No", "OK".
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual Answer WarningYesNo(const std::string& text) = 0;  // "Warning", warning icon
  virtual void WarningOk(const std::string& text) = 0;       // "Warning", warning icon, OK
  virtual void Error(const std::string& text) = 0;           // "Error", error icon, OK
  virtual Answer ConfirmYesNo(const std::string& text) = 0;  // "Confirm", question icon
  // "Confirm", question icon, No the default button: a stray Enter must not
  // say Yes to what cannot be taken back (a restart).
  virtual Answer ConfirmYesNoDefaultNo(const std::string& text) = 0;
  virtual void Message(const std::string& text) = 0;         // application title, OK
  // The application's exception box: "Flash utility", error icon, OK; shows
  // `text` as given (see ExceptionBoxText).
  virtual void Exception(const std::string& text) = 0;
};

class ICursor {
 public:
  virtual ~ICursor() = default;
  virtual void SetHourglass() = 0;
  virtual void SetDefault() = 0;
};

class IApplication {
 public:
  virtual ~IApplication() = default;
  virtual void PostQuit(int exitCode) = 0;
};

// The front end's threads. The UI thread runs the event loop and owns every
// control; a long job (a flash run, a build) runs on a worker thread and
// reaches the controls only through Post and Call.
class IUiThread {
 public:
  virtual ~IUiThread() = default;
  /// Runs `task` on the UI thread after everything posted before; returns at once.
  virtual void Post(std::function<void()> task) = 0;
  /// Runs `task` on the UI thread after everything posted before, and waits for it.
  virtual void Call(const std::function<void()>& task) = 0;
  /// Runs `job` on a worker thread, then `finished` on the UI thread after
  /// everything the job posted. Returns at once.
  virtual void RunInBackground(std::function<void()> job, std::function<void()> finished) = 0;
};

struct FormServices {
  IDialogs* dialogs = nullptr;
  ICursor* cursor = nullptr;
  IApplication* application = nullptr;
  ISystemServices* system = nullptr;  // null: the running system
  IUiThread* ui = nullptr;            // null: jobs run at once on the calling thread
};

}  // namespace cdflash
