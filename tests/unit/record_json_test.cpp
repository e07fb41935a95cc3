// The record of a run as JSON, read back as a tree: it holds every field a
// helper needs, the commands exactly as the simulated drive saw them, and
// the header's bytes whatever they are, in plain ASCII.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimBench.h"
#include "common/Json.h"
#include "device/Cddrive.h"
#include "device/ScsiCommands.h"
#include "record/RunRecord.h"
#include "support/JsonValue.h"
#include "support/TestPackage.h"

namespace cdflash {
namespace {

using test::JsonReader;
using test::JsonValue;

// The bytes of "12 00 0A" as the record spells byte fields.
std::vector<std::uint8_t> BytesOf(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 3) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

JsonValue Parsed(const std::string& text) {
  const auto value = JsonReader::Parse(text);
  EXPECT_TRUE(value.has_value()) << text;
  return value.value_or(JsonValue{});
}

bool IsPrintableAscii(const std::string& text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b != '\n' && (b < 0x20 || b > 0x7E)) return false;
  }
  return true;
}

std::int32_t Send(CDDrive& drive, const CommandBytes& c, bool dataIn, std::int32_t length) {
  return drive.ExecCommand(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                           dataIn ? 1 : 0, length);
}

TEST(RunRecordJson, AFailedRunsCommandsMatchWhatTheDriveSawCommandForCommand) {
  sim::SimBench bench;
  sim::SimDrive& simDrive = bench.platform.AddDrive();
  simDrive.InjectAt(3, sim::Fault::WithSense(sim::kSequenceError));
  RunRecord record;
  {
    CommandCollector collector;
    const ScopedCommandLog scope(collector);
    CDDrive drive('0', 0, 0, 0);
    record.identityBefore = drive.IdentityText();
    Send(drive, StandardCommand(kOpTestUnitReady), true, 0);
    Send(drive, WriteBufferCommand(0, 512, kControlData), false, 512);
    Send(drive, ReadBufferCommand(0, 512), true, 512);  // refused: the run fails here
    record.commands = collector.commands;
  }
  record.outcome = "failed after writing began";
  record.exitCode = 3;

  const JsonValue json = Parsed(RunRecordJson(record));
  const JsonValue& commands = json["commands"];
  const std::vector<sim::LogEntry>& seen = simDrive.Log();
  ASSERT_EQ(commands.items.size(), seen.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE("command " + std::to_string(i));
    const JsonValue& c = commands[i];
    const std::vector<std::uint8_t> cdb = BytesOf(c["cdb"].text);
    EXPECT_EQ(cdb, std::vector<std::uint8_t>(seen[i].command.cdb.begin(), seen[i].command.cdb.end()));
    EXPECT_EQ(c["direction"].text, seen[i].command.dataIn ? "in" : "out");
    EXPECT_EQ(c["length"].number, seen[i].command.length);
    EXPECT_EQ(c["status"].number, seen[i].reply.status);
    const std::vector<std::uint8_t> sense = BytesOf(c["sense"].text);
    if (seen[i].reply.status == sim::kStatusCheckCondition) {
      ASSERT_GE(sense.size(), 14u);
      EXPECT_EQ(sense[2], seen[i].reply.sense.key);
      EXPECT_EQ(sense[12], seen[i].reply.sense.asc);
      EXPECT_EQ(sense[13], seen[i].reply.sense.ascq);
    } else {
      EXPECT_TRUE(sense.empty()) << "a good answer carries no sense bytes";
    }
    for (const char* field : {"time", "fate", "delivered", "succeeded", "result", "residual", "systemError",
                              "durationUs", "drive", "deviceGone"}) {
      EXPECT_TRUE(c.Has(field)) << field;
    }
  }
  EXPECT_FALSE(commands.items.back()["succeeded"].boolean);
  EXPECT_EQ(json["exitCode"].number, 3);
  EXPECT_EQ(json["identityBefore"].text, record.identityBefore);
}

TEST(RunRecordJson, HeaderFieldsOfAnyBytesComeBackWholeInPlainAscii) {
  test::TestPackage package;
  const std::string latin1Model = "CD-RW \xC4\xD6\xDC 52x";
  const std::string controlNote = "\t\"quoted\" back\\slash\x01";
  package.Model(latin1Model).Inquiry("VENDOR  PRODUCT").FwRange("1.00-1.59").Vendor("Maker").Note(controlNote)
      .Revision("1.60");
  RunRecord record;
  record.programVersion = "1.043";
  record.package = ReadPackageFields(package.View());
  record.drive = "/dev/sr0";
  record.identityBefore = "0-0-0 0: VENDOR  PRODUCT         1.20";
  record.identityAfter = "0-0-0 0: VENDOR  PRODUCT         1.60";
  record.outcome = "flashed";

  const std::string text = RunRecordJson(record);
  EXPECT_TRUE(IsPrintableAscii(text));
  const JsonValue json = Parsed(text);
  const JsonValue& p = json["package"];
  EXPECT_EQ(p["model"].text, latin1Model);
  EXPECT_EQ(p["note"].text, controlNote);
  EXPECT_EQ(p["inquiry"].text, "VENDOR  PRODUCT");
  EXPECT_EQ(p["fwRange"].text, "1.00-1.59");
  EXPECT_EQ(p["vendor"].text, "Maker");
  EXPECT_EQ(p["revision"].text, "1.60");
  EXPECT_EQ(json["version"].text, "1.043");
  EXPECT_EQ(json["drive"].text, "/dev/sr0");
  EXPECT_EQ(json["identityAfter"].text, record.identityAfter);
  EXPECT_TRUE(json["commands"].items.empty());
}

TEST(RunRecordJson, FieldsThatFillTheirWholeWidthAreCutAtTheFieldsEnd) {
  test::TestPackage package;
  package.Model(std::string(kFieldSize, 'M')).Revision(std::string(kRevisionFieldSize, '9'));
  const PackageFields fields = ReadPackageFields(package.View());
  EXPECT_EQ(fields.model, std::string(kFieldSize, 'M'));
  EXPECT_EQ(fields.revision, std::string(kRevisionFieldSize, '9'));
}

TEST(RunRecordJson, SummaryForScriptsHoldsTheRecordsDataButNoCommands) {
  RunRecord record;
  record.drive = "\\\\.\\D:";
  record.identityBefore = "before";
  record.identityAfter = "after";
  record.outcome = "flashed";
  record.exitCode = 0;
  record.failure = "";
  record.commands.resize(3);
  const JsonValue json = Parsed(RunSummaryJson(record, "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json"));
  EXPECT_EQ(json["outcome"].text, "flashed");
  EXPECT_EQ(json["exitCode"].number, 0);
  EXPECT_EQ(json["identityBefore"].text, "before");
  EXPECT_EQ(json["identityAfter"].text, "after");
  EXPECT_EQ(json["drive"].text, "\\\\.\\D:");
  EXPECT_EQ(json["record"].text, "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json");
  EXPECT_FALSE(json.Has("commands"));
}

TEST(JsonWriter, EveryShapeOfNestingReadsBackAsWritten) {
  struct Row {
    const char* what;
    std::string text;
  };
  JsonWriter empty;
  empty.BeginObject().EndObject();
  JsonWriter nested;
  nested.BeginObject()
      .Key("a").BeginArray().EndArray()
      .Key("b").BeginArray().Number(-1).Bool(false).String("").EndArray()
      .Key("c").BeginObject(JsonWriter::Layout::Inline).Key("d").BeginArray().Number(2).EndArray().EndObject()
      .Key("e").BeginArray(JsonWriter::Layout::Inline).BeginObject().EndObject().BeginObject().Key("f").Number(3)
      .EndObject().EndArray()
      .EndObject();
  const Row rows[] = {{"empty object", empty.Text()}, {"nested", nested.Text()}};
  for (const Row& row : rows) EXPECT_TRUE(JsonReader::Parse(row.text).has_value()) << row.what << "\n" << row.text;

  const JsonValue json = Parsed(nested.Text());
  EXPECT_TRUE(json["a"].items.empty());
  EXPECT_EQ(json["b"].items.size(), 3u);
  EXPECT_EQ(json["c"]["d"][0].number, 2);
  EXPECT_EQ(json["e"][1]["f"].number, 3);
  const std::string& text = nested.Text();
  const std::size_t c = text.find("\"c\"");
  EXPECT_NE(text.substr(c, text.find('\n', c) - c).find("[2]"), std::string::npos)
      << "an inline object keeps what it holds on its own line";
}

}  // namespace
}  // namespace cdflash
