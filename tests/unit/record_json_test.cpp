// The record of a run as JSON, read back as a tree: the header's bytes
// whatever they are, in plain ASCII, and the summary for scripts. (That its
// commands are the drive's, command for command, the terminal's tests show.)

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "common/Json.h"
#include "record/RunRecord.h"
#include "support/Json.h"
#include "support/TestPackage.h"

namespace cdflash {
namespace {

using test::Json;
using test::SingleByteText;

Json Parsed(const std::string& text) {
  const auto value = test::ParseJson(text);
  EXPECT_TRUE(value.has_value()) << text;
  return value.value_or(Json::object());
}

// The summary for scripts says of the run what the record says, and where
// the record is, without the commands.
TEST(RunRecordJson, HeaderFieldsOfAnyBytesComeBackWholeInPlainAsciiAndTheSummaryAgrees) {
  test::TestPackage package;
  const std::string latin1Model = "CD-RW \xC4\xD6\xDC 52x";
  const std::string controlNote = "\t\"quoted\" back\\slash\x01";
  package.Model(latin1Model).Inquiry("VENDOR  PRODUCT").FwRange("1.00-1.59").Vendor("Maker").Note(controlNote)
      .Revision("1.60");
  RunRecord record;
  record.programVersion = "1.043";
  record.package = ReadPackageFields(package.View());
  record.drive = "\\\\.\\D:";
  record.identityBefore = "0-0-0 0: VENDOR  PRODUCT         1.20";
  record.identityAfter = "0-0-0 0: VENDOR  PRODUCT         1.60";
  record.outcome = "failed after writing";
  record.exitCode = 3;
  record.failure = "the read-back differs";
  record.commands.resize(3);

  const std::string text = RunRecordJson(record);
  EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c == '\n' || (c >= 0x20 && c <= 0x7E); }));
  const Json json = Parsed(text);
  const Json& p = json.at("package");
  EXPECT_EQ(SingleByteText(p.at("model")), latin1Model);
  EXPECT_EQ(SingleByteText(p.at("note")), controlNote);
  EXPECT_EQ(p.at("inquiry"), "VENDOR  PRODUCT");
  EXPECT_EQ(p.at("fwRange"), "1.00-1.59");
  EXPECT_EQ(p.at("vendor"), "Maker");
  EXPECT_EQ(p.at("revision"), "1.60");
  EXPECT_EQ(json.at("version"), "1.043");
  EXPECT_EQ(json.at("commands").size(), 3u);

  const Json summary = Parsed(RunSummaryJson(record, "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json"));
  const std::pair<const char*, Json> ends[] = {
      {"drive", record.drive}, {"outcome", record.outcome}, {"exitCode", record.exitCode},
      {"failure", record.failure}, {"identityBefore", record.identityBefore}, {"identityAfter", record.identityAfter}};
  for (const auto& [key, value] : ends) {
    EXPECT_EQ(json.at(key), value) << key;
    EXPECT_EQ(summary.at(key), value) << key;
  }
  EXPECT_EQ(summary.at("record"), "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json");
  EXPECT_FALSE(summary.contains("commands"));
}

TEST(JsonWriter, EveryShapeOfNestingReadsBackAsWritten) {
  JsonWriter empty;
  empty.BeginObject().EndObject();
  EXPECT_TRUE(Parsed(empty.Text()).empty());
  JsonWriter nested;
  nested.BeginObject()
      .Key("a").BeginArray().EndArray()
      .Key("b").BeginArray().Number(-1).Bool(false).String("").EndArray()
      .Key("c").BeginObject(JsonWriter::Layout::Inline).Key("d").BeginArray().Number(2).EndArray().EndObject()
      .Key("e").BeginArray(JsonWriter::Layout::Inline).BeginObject().EndObject().BeginObject().Key("f").Number(3)
      .EndObject().EndArray()
      .EndObject();
  const Json json = Parsed(nested.Text());
  EXPECT_TRUE(json.at("a").empty());
  EXPECT_EQ(json.at("b").size(), 3u);
  EXPECT_EQ(json.at("c").at("d").at(0), 2);
  EXPECT_EQ(json.at("e").at(1).at("f"), 3);
  const std::string& text = nested.Text();
  const std::size_t c = text.find("\"c\"");
  EXPECT_NE(text.substr(c, text.find('\n', c) - c).find("[2]"), std::string::npos)
      << "an inline object keeps what it holds on its own line";
}

}  // namespace
}  // namespace cdflash
