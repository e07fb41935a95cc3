#pragma once
// Recording fakes of the form's controls and services, and a harness that
// builds a TFlashForm over them. Dialog answers are scripted; every box shown
// is recorded with its kind and text.

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/FlashForm.h"
#include "app/FormLayout.h"
#include "support/FakeSystem.h"
#include "support/ScriptedDialogs.h"

namespace cdflash::test {

class FakeControl : public virtual IControl {
 public:
  explicit FakeControl(Bounds b) : bounds_(b) {}
  Bounds GetBounds() const override { return bounds_; }
  void SetTop(int top) override { bounds_.top = top; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool v) override { visible_ = v; }

 private:
  Bounds bounds_;
  bool visible_ = true;
};

class FakeLabel : public FakeControl, public ILabel {
 public:
  using FakeControl::FakeControl;
  std::string Text() const override { return text_; }
  void SetText(const std::string& t) override { text_ = t; }

 private:
  std::string text_;
};

// The entries and selection both fake lists keep.
template <typename List>
class FakeList : public FakeControl, public List {
 public:
  using FakeControl::FakeControl;
  int Count() const override { return static_cast<int>(items.size()); }
  std::string Item(int i) const override {
    CheckListIndex(i, Count());
    return items[static_cast<std::size_t>(i)];
  }
  int ItemIndex() const override { return index; }
  void SetItemIndex(int i) override { index = i >= 0 && i < Count() ? i : -1; }

  std::vector<std::string> items;
  int index = -1;
};

class FakeComboBox : public FakeList<IComboBox> {
 public:
  using FakeList::FakeList;
  void Add(const std::string& t) override { items.push_back(t); }
  void Insert(int i, const std::string& t) override {
    CheckListIndex(i, Count() + 1);
    items.insert(items.begin() + i, t);
    if (index >= i) ++index;
  }
  void Delete(int i) override {
    CheckListIndex(i, Count());
    items.erase(items.begin() + i);
    if (index == i) index = -1;
    else if (index > i) --index;
  }
  void Clear() override { items.clear(); index = -1; }
  void Repaint() override {}
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool e) override { enabled = e; }

  bool enabled = true;
};

class FakeFileListBox : public FakeList<IFileListBox> {
 public:
  using FakeList::FakeList;
  void SetItems(const std::vector<std::string>& names) override {
    items = names;
    index = -1;
  }
};

class FakeGroupBox : public FakeControl, public IGroupBox {
 public:
  using FakeControl::FakeControl;
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  void Repaint() override { repaintedCaptions.push_back(caption); }

  std::string caption;
  std::vector<std::string> repaintedCaptions;
};

class FakeProgressBar : public FakeControl, public IProgressBar {
 public:
  using FakeControl::FakeControl;
  void SetRange(long long lo, long long hi) override {
    minimum = lo;
    maximum = std::max(lo, hi);
    SetPosition(position);
  }
  long long Minimum() const override { return minimum; }
  long long Maximum() const override { return maximum; }
  void SetPosition(long long p) override { position = std::clamp(p, minimum, maximum); }
  long long Position() const override { return position; }
  void SetStep(long long s) override { step = s; }
  long long Step() const override { return step; }
  void StepIt() override { StepBy(step); }
  void StepBy(long long d) override { SetPosition(position + d); }

  long long minimum = 0, maximum = 100, position = 0, step = 10;
};

class FakeButton : public FakeControl, public IButton {
 public:
  using FakeControl::FakeControl;
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool e) override { enabled = e; }

  std::string caption = kFlashButtonCaption;
  bool enabled = true;
};

class FakeWindow : public IWindow {
 public:
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  void Close() override { ++closes; }
  void SetCloseBlocked(bool b) override { closeBlocked.push_back(b); }

  std::string caption;
  int closes = 0;
  std::vector<bool> closeBlocked;  // every change, in order
};

class FakeCursor : public ICursor {
 public:
  void SetHourglass() override { log.push_back("hourglass"); }
  void SetDefault() override { log.push_back("default"); }
  std::vector<std::string> log;
};

class FakeApplication : public IApplication {
 public:
  void PostQuit(int code) override { quits.push_back(code); }
  std::vector<int> quits;
};

inline Bounds DesignBounds(std::string_view name) {
  for (const ControlDesign& d : kFormDesign) {
    if (d.name == name) return d.bounds;
  }
  throw std::logic_error("no such control");
}

// The form's controls, faked, each at its design place.
struct FakeControlSet {
  FormControls Controls() { return {&window, &label, &fileList, &combo, &groupBox, &progress, &button}; }

  FakeWindow window;
  FakeLabel label{DesignBounds("SelectDriveLabel")};
  FakeFileListBox fileList{DesignBounds("FileListBox1")};
  FakeComboBox combo{DesignBounds("ComboBox")};
  FakeGroupBox groupBox{DesignBounds("GroupBox2")};
  FakeProgressBar progress{DesignBounds("ProgressBar")};
  FakeButton button{DesignBounds("FlashButton")};
};

// All fakes plus the form over them.
struct FormHarness : FakeControlSet {
  explicit FormHarness(PackageView package = PackageView::Embedded())
      : form(Controls(), FormServices{&dialogs, &cursor, &application, &system}, package) {}

  ScriptedDialogs dialogs;
  FakeCursor cursor;
  FakeApplication application;
  FakeSystem system;
  TFlashForm form;
};

}  // namespace cdflash::test
