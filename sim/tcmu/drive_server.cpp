// Serves the simulated drive (sim/SimDrive) to the kernel's SCSI target
// through the TCM-User ring of /dev/uioN: with the tcm_loop fabric the same
// kernel sees it as a CD-ROM (/dev/srN), so a program's commands travel the
// kernel's whole stack (sr, its command filter, timeouts, error handling)
// to the drive model.
//
//   cdflash-tcmu-drive --uio uioN --log FILE --verdict FILE [--bin FILE]
//                      [--vendor T] [--product T] [--revision T] [--fault KIND]
//
// --log: one JSON line per command received (as the drive saw it, in the
//   run record's terms), per answer held back and per task management
//   request. --verdict (written at SIGUSR1, and at SIGTERM/SIGINT before the
//   program ends): what the drive programmed, whether it equals the first
//   bytes of --bin, bricked or not. The drive keeps answering after SIGUSR1:
//   a drive that stops answering leaves every open of its node waiting for
//   the kernel's command timeout.
// --fault: refuse-read-back, corrupt-read-back, silent-commit (the commit
//   is never answered; the kernel's abort gets its answer at once),
//   never-ready (every TEST UNIT READY says the disc is becoming ready).

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "AttachAnswers.h"
#include "SimDrive.h"
#include "TcmuRing.h"
#include "common/Json.h"

namespace cdflash::tcmu {
namespace {

volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t verdictRequested = 0;
void OnStop(int) { stopRequested = 1; }
void OnVerdict(int) { verdictRequested = 1; }

struct Options {
  std::string uio, log, verdict, bin, fault = "none";
  sim::DriveConfig drive;
};

bool Parse(int argc, char** argv, Options& o) {
  o.drive.vendor = "ACME";
  o.drive.product = "CRW-4012A";
  o.drive.revision = "1.20";
  std::map<std::string, std::string*> fields = {
      {"--uio", &o.uio},         {"--log", &o.log},   {"--verdict", &o.verdict},
      {"--bin", &o.bin},         {"--fault", &o.fault}, {"--vendor", &o.drive.vendor},
      {"--product", &o.drive.product}, {"--revision", &o.drive.revision}};
  for (int i = 1; i + 1 < argc; i += 2) {
    const auto field = fields.find(argv[i]);
    if (field == fields.end()) return false;
    *field->second = argv[i + 1];
  }
  return argc % 2 == 1 && !o.uio.empty() && !o.log.empty() && !o.verdict.empty();
}

bool PlanFault(sim::SimDrive& drive, const std::string& kind) {
  using sim::Fault;
  if (kind == "none") return true;
  if (kind == "refuse-read-back") {
    drive.InjectWhen(sim::IsReadBuffer(), Fault::WithSense(sim::kInvalidField));
  } else if (kind == "corrupt-read-back") {
    drive.InjectWhen(sim::IsReadBuffer(), Fault::CorruptReadBack(0x123));
  } else if (kind == "silent-commit") {
    drive.InjectWhen(sim::IsCommit(), Fault::Timeout());
  } else if (kind == "never-ready") {
    drive.SetMediumScript({sim::kBecomingReady});
  } else {
    return false;
  }
  return true;
}

std::vector<std::uint8_t> FixedSense(const sim::Sense& sense) {
  std::vector<std::uint8_t> bytes(18, 0);
  bytes[0] = 0x70;
  bytes[2] = sense.key;
  bytes[7] = 10;
  bytes[12] = sense.asc;
  bytes[13] = sense.ascq;
  return bytes;
}

class Server {
 public:
  Server(const Options& options, TcmuRing& ring)
      : options_(options), ring_(ring), drive_(options.drive), log_(options.log, std::ios::app) {}

  bool Ready() { return PlanFault(drive_, options_.fault) && log_.good(); }

  void Serve() {
    std::vector<RingCommand> commands;
    std::vector<RingTaskManagement> tasks;
    while (stopRequested == 0 && ring_.Wait()) {
      commands.clear();
      tasks.clear();
      ring_.Take(commands, tasks);
      for (const RingCommand& command : commands) Handle(command);
      for (const RingTaskManagement& task : tasks) Abort(task);
      ring_.Notify();
      if (verdictRequested != 0) {
        verdictRequested = 0;
        WriteVerdict();
      }
    }
  }

  bool WriteVerdict() const;

 private:
  void Handle(const RingCommand& command);
  void Abort(const RingTaskManagement& task);
  void Log(JsonWriter& entry) {
    log_ << entry.EndObject().Text() << '\n';
    log_.flush();
  }

  const Options& options_;
  TcmuRing& ring_;
  sim::SimDrive drive_;
  std::ofstream log_;
  std::vector<std::uint16_t> held_;  // commands the drive never answers
  std::size_t received_ = 0;
};

void Server::Handle(const RingCommand& command) {
  std::array<std::uint8_t, 12> cdb{};
  std::copy_n(command.cdb.begin(), std::min(cdb.size(), command.cdb.size()), cdb.begin());
  const bool dataIn = !CarriesDataOut(command.cdb);
  std::vector<std::uint8_t> data(command.DataLength());
  if (!dataIn) ring_.CopyOut(command, data);

  RingAnswer answer;
  std::int64_t transferred = 0;
  bool answered = true;
  const char* by = "attach";
  if (auto fixed = AttachAnswer(command.cdb)) {
    transferred = static_cast<std::int64_t>(std::min(fixed->size(), data.size()));
    std::copy_n(fixed->begin(), transferred, data.begin());
  } else {
    by = "model";
    const sim::Reply reply = drive_.Execute(cdb, dataIn, data);
    answered = reply.transport == sim::Transport::Completed;
    answer.status = reply.status;
    if (reply.sense != sim::kGood) answer.sense = FixedSense(reply.sense);
    transferred = reply.transferred;
  }
  if (answered) {
    if (dataIn) {
      ring_.CopyIn(command, std::span(data).first(static_cast<std::size_t>(transferred)));
      if (static_cast<std::size_t>(transferred) < data.size()) {
        answer.readLength = static_cast<std::uint32_t>(transferred);
      }
    }
    ring_.Answer(command.id, answer);
  } else {
    held_.push_back(command.id);
  }

  JsonWriter entry;
  entry.BeginObject(JsonWriter::Layout::Inline)
      .Key("index").Number(static_cast<std::int64_t>(received_++))
      .Key("id").Number(command.id)
      .Key("cdb").String(HexBytes(cdb))
      .Key("direction").String(dataIn ? "in" : "out")
      .Key("length").Number(static_cast<std::int64_t>(data.size()))
      .Key("by").String(by)
      .Key("answered").Bool(answered);
  if (answered) {
    entry.Key("status").Number(answer.status)
        .Key("sense").String(HexBytes(answer.sense))
        .Key("transferred").Number(transferred);
  }
  Log(entry);
}

void Server::Abort(const RingTaskManagement& task) {
  JsonWriter entry;
  entry.BeginObject(JsonWriter::Layout::Inline).Key("task").Number(task.type).Key("ids").BeginArray(
      JsonWriter::Layout::Inline);
  for (std::uint16_t id : task.ids) {
    entry.Number(id);
    const auto held = std::find(held_.begin(), held_.end(), id);
    if (held == held_.end()) continue;
    held_.erase(held);
    // The kernel waits for an aborted command's answer; what it says is
    // never passed on.
    ring_.Answer(id, {sim::kStatusCheckCondition, FixedSense({0x0B, 0x00, 0x00}), std::nullopt});
  }
  entry.EndArray();
  Log(entry);
}

bool Server::WriteVerdict() const {
  std::ifstream binFile(options_.bin, std::ios::binary);
  const std::vector<std::uint8_t> bin((std::istreambuf_iterator<char>(binFile)),
                                      std::istreambuf_iterator<char>());
  const auto& commits = drive_.Commits();
  const std::uint32_t programmed = commits.empty() ? 0 : commits.back().programmed;
  const auto flash = drive_.Flash();
  const bool equalsBin = programmed > 0 && programmed <= bin.size() &&
                         std::equal(flash.begin(), flash.begin() + programmed, bin.begin());
  JsonWriter verdict;
  verdict.BeginObject(JsonWriter::Layout::Inline)
      .Key("commands").Number(static_cast<std::int64_t>(drive_.CommandCount()))
      .Key("commits").Number(static_cast<std::int64_t>(commits.size()))
      .Key("commitControl").Number(commits.empty() ? -1 : commits.back().control)
      .Key("programmed").Number(programmed)
      .Key("equalsBin").Bool(equalsBin)
      .Key("bricked").Bool(drive_.Bricked())
      .Key("critical").Bool(drive_.InCriticalState())
      .Key("revision").String(drive_.Revision())
      .Key("unanswered").Number(static_cast<std::int64_t>(held_.size()))
      .EndObject();
  std::ofstream out(options_.verdict);
  out << verdict.Text() << '\n';
  return out.good();
}

}  // namespace
}  // namespace cdflash::tcmu

int main(int argc, char** argv) {
  using namespace cdflash::tcmu;
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: cdflash-tcmu-drive --uio uioN --log FILE --verdict FILE [--bin FILE]\n"
                 "       [--vendor T] [--product T] [--revision T] [--fault KIND]\n");
    return 2;
  }
  struct sigaction stop {};
  stop.sa_handler = OnStop;  // no SA_RESTART: the ring's wait ends at once
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  struct sigaction verdict {};
  verdict.sa_handler = OnVerdict;
  sigaction(SIGUSR1, &verdict, nullptr);

  TcmuRing ring;
  std::string error;
  if (!ring.Open(options.uio, error)) {
    std::fprintf(stderr, "cdflash-tcmu-drive: %s\n", error.c_str());
    return 1;
  }
  Server server(options, ring);
  if (!server.Ready()) {
    std::fprintf(stderr, "cdflash-tcmu-drive: unknown fault %s, or %s cannot be written\n",
                 options.fault.c_str(), options.log.c_str());
    return 2;
  }
  server.Serve();
  return server.WriteVerdict() ? 0 : 1;
}
