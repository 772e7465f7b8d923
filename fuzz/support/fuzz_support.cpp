#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <tavric/registry.h>

#include "contract/host_context.h"
#include "platform/user_prompts.h"

namespace tvr_fuzz {

namespace {

// Prompts are answered with their default and not kept: a fuzz run shows
// millions of them.
class CQuietPrompts : public CTVRUserPrompts {
 public:
  void MessageBox(const std::string&) override {}
  tvr::BOOL AskYesNo(const std::string&) override { return TRUE; }
  void MessageBeep(tvr::UINT) override {}
  tvr::BOOL AskSaveFileName(const std::string&, const std::string&, const std::string&, std::string&) override {
    return FALSE;
  }
  tvr::BOOL AskOpenFileName(const std::string&, const std::string&, const std::string&, std::string&) override {
    return FALSE;
  }
};

QTemporaryDir* g_folder = nullptr;
CTVRHostContext* g_pContext = nullptr;

}  // namespace

void InitOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  g_folder = new QTemporaryDir;
  qputenv("TAVRIC_SETTINGS", (g_folder->path() + "/Tavric.ini").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("TAVRIC_RUN_DIR")) qputenv("TAVRIC_RUN_DIR", TAVRIC_FUZZ_RUN_DIR);
  new QCoreApplication(argc, argv);
  static CQuietPrompts prompts;
  g_pContext = new CTVRHostContext;  // lives as long as the process, like the application
  g_pContext->Install();
  g_pContext->SetPrompts(&prompts);
}

CTVRHostContext& Context() {
  return *g_pContext;
}

std::string WriteInput(const uint8_t* data, std::size_t size, const char* suffix) {
  InitOnce();
  std::string path = g_folder->path().toStdString() + "/input" + suffix;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

void WriteSettingsFile(const uint8_t* data, std::size_t size) {
  InitOnce();
  const std::string path = CTVRRegistry::GetStoreFileName();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  // The store compares size and time: two inputs of one size written within
  // the same millisecond would otherwise look like one file.
  static long long stamp = 1000000000;
  const struct timespec times[2] = {{time_t(stamp), 0}, {time_t(stamp), 0}};
  ++stamp;
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string RunFolder() {
  InitOnce();
  return qEnvironmentVariable("TAVRIC_RUN_DIR").toStdString();
}

}  // namespace tvr_fuzz

#include "platform/dispatcher.h"

void tvr_fuzz::RunQueueBriefly(int milliseconds) {
  CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::milliseconds(milliseconds));
}

void tvr_fuzz::RunQueueFor(std::size_t messages) {
  CTVRDispatcher& dispatcher = *CTVRDispatcher::GetInstalled();
  // The condition is looked at after every message handled.
  std::size_t looks = 0;
  dispatcher.RunUntil([&] { return dispatcher.PendingCount() == 0 || looks++ >= messages; }, std::chrono::seconds(10));
}
