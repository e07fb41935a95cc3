// Takes a flasher's window through a whole run from another process, as a
// user would, and watches whether the window keeps answering meanwhile:
//   - presses FLASH and answers the update question Yes;
//   - every 20 ms reads the group box caption (WM_GETTEXT) and the progress
//     bar's position (PBM_GETPOS) with SendMessageTimeoutA (SMTO_ABORTIFHUNG,
//     1 s), timing each read;
//   - answers the restart question No, waits for the FLASH button to come
//     back (the run has ended) and then closes the window with WM_CLOSE.
// Prints one fact per line ("name=value") and a line of figures; the calling
// script judges them.
//   flash_run_probe
// Exit code 0 when the window was found, 1 otherwise.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char kWindowClass[] = "TFlashForm";
constexpr UINT kReadTimeoutMs = 1000;
constexpr DWORD kSamplePause = 20;
constexpr DWORD kRunBoundMs = 120000;
constexpr int kBoxTextId = 0xFFFF;  // the text of a standard message box

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Reads {
  std::vector<double> latencies;  // of the answered reads, ms
  int unanswered = 0;

  // Sends `message` with the read timeout; the result, or nothing when unanswered.
  bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    const double start = NowMs();
    const LRESULT ok = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                           kReadTimeoutMs, &result);
    if (ok == 0) {
      ++unanswered;
      return false;
    }
    latencies.push_back(NowMs() - start);
    return true;
  }
  std::string Text(HWND window) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), copied)) {
      return "(no answer)";
    }
    return std::string(text, std::min<std::size_t>(copied, sizeof(text) - 1));
  }
};

HWND WaitForWindow(DWORD timeoutMs) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50)) {
    HWND window = FindWindowA(kWindowClass, nullptr);
    if (window != nullptr && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

HWND FindGroupBox(HWND window) {
  for (HWND child = FindWindowExA(window, nullptr, "Button", nullptr); child != nullptr;
       child = FindWindowExA(window, child, "Button", nullptr)) {
    if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) return child;
  }
  return nullptr;
}

// A message box that the window's process shows, if any.
HWND FindBox(DWORD process) {
  for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box != nullptr;
       box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == process && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const HWND window = WaitForWindow(30000);
  if (window == nullptr) {
    std::printf("window=none\n");
    return 1;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  const HWND groupBox = FindGroupBox(window);
  const HWND progress = FindWindowExA(window, nullptr, PROGRESS_CLASSA, nullptr);
  const HWND button = FindWindowExA(window, nullptr, "Button", "FLASH");
  if (!groupBox || !progress || !button) {
    std::printf("controls=missing\n");
    return 1;
  }

  Reads reads;
  int samples = 0;
  std::set<long> positions;
  std::set<HWND> answered;
  bool restartAnswered = false;
  bool unexpectedBox = false;
  const double start = NowMs();
  double runMs = 0;

  PostMessageA(button, BM_CLICK, 0, 0);
  for (const DWORD begun = GetTickCount(); GetTickCount() - begun < kRunBoundMs; Sleep(kSamplePause)) {
    if (!IsWindow(window)) break;
    const std::string caption = reads.Text(groupBox);
    DWORD_PTR position = 0;
    if (reads.Send(progress, PBM_GETPOS, 0, 0, position)) positions.insert(static_cast<long>(position));
    ++samples;

    const HWND box = FindBox(process);
    if (box != nullptr && answered.insert(box).second) {
      char title[64] = {};
      GetWindowTextA(box, title, sizeof(title));
      const std::string text = OneLine(reads.Text(GetDlgItem(box, kBoxTextId)));
      int reply = IDOK;
      if (lstrcmpA(title, "Confirm") == 0 && text.find("Update FW:") != std::string::npos) {
        reply = IDYES;
      } else if (lstrcmpA(title, "Confirm") == 0 && text.find("restarted") != std::string::npos) {
        reply = IDNO;
        restartAnswered = true;
        runMs = NowMs() - start;
        std::printf("restart_caption=\"%s\"\n", caption.c_str());
      } else {
        unexpectedBox = true;
      }
      std::printf("box \"%s\" \"%s\" answered=%s\n", title, text.c_str(),
                  reply == IDYES ? "Yes" : reply == IDNO ? "No" : "OK");
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(reply, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, reply)));
      if (unexpectedBox) break;
    }
    // The run has ended once the button takes clicks again.
    if (restartAnswered && IsWindowEnabled(button)) break;
  }

  std::printf("run_ended=%d\n", restartAnswered && IsWindowEnabled(button) ? 1 : 0);
  std::printf("caption_at_end=\"%s\"\n", reads.Text(groupBox).c_str());
  std::printf("reads=%zu unanswered=%d\n", reads.latencies.size() + static_cast<std::size_t>(reads.unanswered),
              reads.unanswered);
  std::printf("positions=%zu\n", positions.size());
  const double maxMs =
      reads.latencies.empty() ? 0 : *std::max_element(reads.latencies.begin(), reads.latencies.end());
  std::printf("figures: %d samples over %.1f s of run, %zu reads, latency max %.1f ms, median %.2f ms, "
              "%zu distinct progress positions\n",
              samples, runMs / 1000.0, reads.latencies.size(), maxMs, Median(reads.latencies),
              positions.size());

  // Once the run has ended the window closes as usual.
  PostMessageA(window, WM_CLOSE, 0, 0);
  bool closed = false;
  for (const DWORD begun = GetTickCount(); !closed && GetTickCount() - begun < 10000; Sleep(50)) {
    closed = !IsWindow(window);
  }
  std::printf("closed_after_run=%d\n", closed ? 1 : 0);
  std::fflush(stdout);
  return 0;
}
