#pragma once
// What every implementation of the form's controls does (app/Controls.h):
// the Qt adapters, the Win32 controls and the test fakes run these same
// cases. An implementation is given as a rig:
//
//   struct Rig {
//     FormControls Controls();
//     int UserEvents() const;  // change, click and button events raised so far
//     int WindowWidth();       // optional, where text is measured: the client
//                              // area's width in design pixels
//   };
//
// Include this header in one source file of a test program and instantiate
// it there: INSTANTIATE_TYPED_TEST_SUITE_P(Name, ControlContract, Rig).

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/FormLayout.h"

namespace cdflash::contract {

template <typename Rig>
class ControlContract : public ::testing::Test {
 protected:
  // Nothing the program does raises an event; only the user's actions do.
  void TearDown() override { EXPECT_EQ(rig.UserEvents(), 0); }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (int i = 0; i < c.FileListBox1->Count(); ++i) names.push_back(c.FileListBox1->Item(i));
    return names;
  }

  // The control of each row of kFormDesign.
  const IControl* Designed(const ControlDesign& design) const {
    const IControl* controls[] = {c.SelectDriveLabel, c.FileListBox1, c.ComboBox,
                                  c.GroupBox2,        c.ProgressBar,  c.FlashButton};
    return controls[&design - kFormDesign.data()];
  }

  Rig rig;
  FormControls c = rig.Controls();
};

TYPED_TEST_SUITE_P(ControlContract);

// A drive's identity or a file name may hold any single-byte text: the lists
// and the label hand back the bytes they were given.
constexpr const char* kOddBytes = "0-1-0 E: VENDOR \xA4\xA4\xA4\xE5 \xE9\xFC 1.0";

TYPED_TEST_P(ControlContract, ComboBoxSelectionStaysOnItsEntry) {
  IComboBox& combo = *this->c.ComboBox;
  combo.Add("b");
  combo.Add("d");
  EXPECT_EQ(combo.ItemIndex(), -1) << "adding selects nothing";
  combo.SetItemIndex(1);
  combo.Insert(0, "a");
  combo.Insert(2, "c");
  combo.Insert(combo.Count(), kOddBytes);
  ASSERT_EQ(combo.Count(), 5);
  EXPECT_EQ(combo.Item(combo.ItemIndex()), "d");
  combo.Delete(0);
  EXPECT_EQ(combo.Item(combo.ItemIndex()), "d");
  combo.Delete(combo.ItemIndex());
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Item(2), kOddBytes);
  combo.SetItemIndex(0);
  combo.Clear();
  EXPECT_EQ(combo.Count(), 0);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TYPED_TEST_P(ControlContract, FileListShowsTheNamesInTheOrderGivenWithNoneSelected) {
  IFileListBox& list = *this->c.FileListBox1;
  list.SetItems({"v101.bin", "V100.BIN", "\xE9t\xE9.bin"});
  EXPECT_EQ(this->Files(), (std::vector<std::string>{"v101.bin", "V100.BIN", "\xE9t\xE9.bin"}));
  EXPECT_EQ(list.ItemIndex(), -1);
  list.SetItemIndex(2);
  EXPECT_EQ(list.ItemIndex(), 2);
  list.SetItems({"V102.BIN"});
  EXPECT_EQ(list.ItemIndex(), -1) << "a new listing drops the selection";
  list.SetItems({});
  EXPECT_EQ(list.Count(), 0);
}

// Reading or removing an entry that is not there throws; selecting one
// selects nothing.
TYPED_TEST_P(ControlContract, IndexesOutOfRangeThrowOrSelectNothing) {
  IComboBox& combo = *this->c.ComboBox;
  IFileListBox& list = *this->c.FileListBox1;
  combo.Add("only");
  list.SetItems({"ONLY.BIN"});
  for (const int index : {1, -1}) {
    EXPECT_THROW(combo.Item(index), std::out_of_range) << index;
    EXPECT_THROW(combo.Insert(index < 0 ? index : index + 1, "x"), std::out_of_range) << index;
    EXPECT_THROW(combo.Delete(index), std::out_of_range) << index;
    EXPECT_THROW(list.Item(index), std::out_of_range) << index;
  }
  EXPECT_EQ(combo.Count(), 1);
  EXPECT_EQ(list.Count(), 1);

  for (const int index : {1, 7, -2}) {
    combo.SetItemIndex(0);
    combo.SetItemIndex(index);
    EXPECT_EQ(combo.ItemIndex(), -1) << index;
    list.SetItemIndex(0);
    list.SetItemIndex(index);
    EXPECT_EQ(list.ItemIndex(), -1) << index;
  }
}

// Image lengths exceed 16 bits; the position never leaves the range.
TYPED_TEST_P(ControlContract, ProgressBarKeepsItsPositionInsideItsRange) {
  IProgressBar& bar = *this->c.ProgressBar;
  bar.SetRange(0, 0x50000);
  EXPECT_EQ(bar.Maximum(), 0x50000);
  bar.SetStep(0x4000);
  EXPECT_EQ(bar.Step(), 0x4000);
  bar.SetPosition(0x48000);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 0x4C000);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 0x50000) << "stops at the maximum";
  bar.StepBy(-0x60000);
  EXPECT_EQ(bar.Position(), 0) << "stops at the minimum";
  bar.SetPosition(1LL << 40);
  EXPECT_EQ(bar.Position(), 0x50000);
  bar.SetRange(0, 100);
  EXPECT_EQ(bar.Position(), 100) << "a smaller range takes the position with it";
  bar.SetRange(60, 80);
  EXPECT_EQ(bar.Minimum(), 60);
  EXPECT_EQ(bar.Position(), 80);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 60);
}

TYPED_TEST_P(ControlContract, CaptionsAndStatesReadBackAsSet) {
  FormControls& c = this->c;
  c.window->SetCaption(" Flash V1.043 1.00-1.50 [Buiding]");
  EXPECT_EQ(c.window->Caption(), " Flash V1.043 1.00-1.50 [Buiding]");
  c.GroupBox2->SetCaption("Write Buffer> 05 24 00. 02, 0000");
  c.GroupBox2->Repaint();
  EXPECT_EQ(c.GroupBox2->Caption(), "Write Buffer> 05 24 00. 02, 0000");
  c.FlashButton->SetCaption("Build");
  EXPECT_EQ(c.FlashButton->Caption(), "Build");

  for (const bool on : {false, true}) {
    c.FlashButton->SetEnabled(on);
    c.ComboBox->SetEnabled(on);
    c.FileListBox1->SetVisible(on);
    EXPECT_EQ(c.FlashButton->Enabled(), on);
    EXPECT_EQ(c.ComboBox->Enabled(), on);
    EXPECT_EQ(c.FileListBox1->Visible(), on);
  }
}

TYPED_TEST_P(ControlContract, ControlsStartAtTheirDesignBoundsAndFlashModeMovesTheLowerOnesUp) {
  const FormControls& c = this->c;
  for (const ControlDesign& design : kFormDesign) {
    EXPECT_EQ(this->Designed(design)->GetBounds(), design.bounds) << design.name;
  }
  MoveUpIntoFileListPlace(c);
  const int list = c.FileListBox1->GetBounds().height;
  for (const ControlDesign& design : kFormDesign) {
    const bool below = design.bounds.top > c.FileListBox1->GetBounds().top;
    const Bounds& was = design.bounds;
    EXPECT_EQ(this->Designed(design)->GetBounds(),
              (Bounds{was.left, below ? was.top - list : was.top, was.width, was.height}))
        << design.name;
  }
}

TYPED_TEST_P(ControlContract, LabelGrowsWithItsTextAndTheWindowWithIt) {
  const FormControls& c = this->c;
  const int formWidth = c.ComboBox->GetBounds().width;
  const int emptyWidth = c.SelectDriveLabel->GetBounds().width;
  const std::string text = std::string("Select the ") + kOddBytes + " drive you want to update: and a good deal more";
  c.SelectDriveLabel->SetText(text);
  EXPECT_EQ(c.SelectDriveLabel->Text(), text);
  if constexpr (requires { this->rig.WindowWidth(); }) {
    EXPECT_GT(c.SelectDriveLabel->GetBounds().width, formWidth);
    EXPECT_EQ(this->rig.WindowWidth(), c.SelectDriveLabel->GetBounds().width);
    c.SelectDriveLabel->SetText("");
    EXPECT_EQ(c.SelectDriveLabel->GetBounds().width, emptyWidth);
    EXPECT_EQ(this->rig.WindowWidth(), formWidth);
  }
}

REGISTER_TYPED_TEST_SUITE_P(ControlContract, ComboBoxSelectionStaysOnItsEntry,
                            FileListShowsTheNamesInTheOrderGivenWithNoneSelected,
                            IndexesOutOfRangeThrowOrSelectNothing,
                            ProgressBarKeepsItsPositionInsideItsRange,
                            CaptionsAndStatesReadBackAsSet,
                            ControlsStartAtTheirDesignBoundsAndFlashModeMovesTheLowerOnesUp,
                            LabelGrowsWithItsTextAndTheWindowWithIt);

}  // namespace cdflash::contract
