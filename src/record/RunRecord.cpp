#include "record/RunRecord.h"

#include <algorithm>

#include "common/Json.h"
#include "common/Text.h"
#include "package/PackageDigest.h"
#include "record/UtcTime.h"

namespace cdflash {

namespace {

const char* FateText(CommandFate fate) {
  switch (fate) {
    case CommandFate::Sent:
      return "sent";
    case CommandFate::RefusedInvalid:
      return "not sent: its length does not fit the buffer";
    case CommandFate::RefusedCommitUnanswered:
      return "not sent: a commit to the drive never answered";
  }
  return "";
}

// The sense bytes the drive returned: fixed and descriptor formats give
// their length in byte 7; of anything else, the area up to its last byte
// that is not zero (none for a command without sense data).
std::string SenseHex(const std::array<std::uint8_t, kSenseAreaLength>& sense) {
  constexpr std::size_t kHeader = 8;
  std::size_t length = 0;
  const std::uint8_t format = sense[0] & 0x7F;
  if (format >= 0x70 && format <= 0x73) {
    length = std::min<std::size_t>(kHeader + sense[7], sense.size());
  } else {
    const auto last = std::find_if(sense.rbegin(), sense.rend(), [](std::uint8_t b) { return b != 0; });
    length = static_cast<std::size_t>(sense.rend() - last);
  }
  return HexBytes(std::span<const std::uint8_t>(sense.data(), length));
}

void WriteCommand(JsonWriter& json, const CommandRecord& c) {
  json.BeginObject(JsonWriter::Layout::Inline)
      .Key("time").String(IsoUtcTime(c.timeMs))
      .Key("drive").String(Format("%d-%d-%d %c", c.address.hostAdapter, c.address.target, c.address.lun,
                                  c.address.letter))
      .Key("cdb").String(HexBytes(c.cdb))
      .Key("direction").String(c.dataIn ? "in" : "out")
      .Key("length").Number(c.length)
      .Key("fate").String(FateText(c.fate))
      .Key("delivered").Bool(c.delivered)
      .Key("succeeded").Bool(c.succeeded)
      .Key("status").Number(c.status)
      .Key("result").Number(c.result)
      .Key("sense").String(SenseHex(c.sense))
      .Key("residual").Number(c.residual)
      .Key("systemError").Number(c.systemError)
      .Key("deviceGone").Bool(c.deviceGone)
      .Key("durationUs").Number(c.durationUs)
      .EndObject();
}

void WriteEnd(JsonWriter& json, const RunRecord& record) {
  json.Key("outcome").String(record.outcome).Key("exitCode").Number(record.exitCode);
  if (!record.failure.empty()) json.Key("failure").String(record.failure);
  json.Key("identityBefore").String(record.identityBefore).Key("identityAfter").String(record.identityAfter);
}

}  // namespace

PackageFields ReadPackageFields(const PackageView& package) {
  return {FieldText(package.Model()), FieldText(package.Inquiry()),  FieldText(package.FwRange()),
          FieldText(package.Vendor()), FieldText(package.Note()), FieldText(package.RevisionField()),
          StoredDigestHex(package)};
}

std::string RunRecordJson(const RunRecord& record) {
  JsonWriter json;
  json.BeginObject()
      .Key("program").String("cdflash")
      .Key("version").String(record.programVersion)
      .Key("started").String(IsoUtcTime(record.startedMs))
      .Key("ended").String(IsoUtcTime(record.endedMs))
      .Key("drive").String(record.drive);
  json.Key("package")
      .BeginObject(JsonWriter::Layout::Inline)
      .Key("model").String(record.package.model)
      .Key("inquiry").String(record.package.inquiry)
      .Key("fwRange").String(record.package.fwRange)
      .Key("vendor").String(record.package.vendor)
      .Key("note").String(record.package.note)
      .Key("revision").String(record.package.revision)
      .Key("digest").String(record.package.digest)
      .EndObject();
  WriteEnd(json, record);
  json.Key("commands").BeginArray();
  for (const CommandRecord& command : record.commands) WriteCommand(json, command);
  json.EndArray().EndObject();
  return json.Text() + "\n";
}

std::string RunSummaryJson(const RunRecord& record, const std::string& recordPath) {
  JsonWriter json;
  json.BeginObject().Key("drive").String(record.drive);
  WriteEnd(json, record);
  json.Key("record").String(recordPath).EndObject();
  return json.Text() + "\n";
}

}  // namespace cdflash
