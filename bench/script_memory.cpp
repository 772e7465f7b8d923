// Peak memory of opening a script made only of empty lines: the worst case
// for memory per byte of script, as every byte is a line of its own.
//
//   ./script_memory [megabytes, default 40]
//
// The script is written to a temporary folder in pieces (the bench itself
// never holds it), then opened in a reader document as File > Open does.
// Printed: the peak resident memory of the process (VmHWM) before and after
// the open, and what the open added per byte of script.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <tavric/board_doc.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"

namespace {

// The process's peak resident memory in kilobytes, or -1.
long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The program's one context, installed like the programs' own.
  CTVRHostContext context;
  context.Install();
  const long megabytes = argc > 1 ? std::atol(argv[1]) : 40;
  if (megabytes <= 0) {
    std::fprintf(stderr, "usage: script_memory [megabytes]\n");
    return 1;
  }

  QTemporaryDir dir;
  const std::string path = dir.filePath("blank.cmd").toStdString();
  {
    std::ofstream out(path, std::ios::binary);
    const std::string piece(1 << 20, '\n');
    for (long i = 0; i < megabytes; ++i) out.write(piece.data(), std::streamsize(piece.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "script_memory: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const double bytes = double(megabytes) * double(1 << 20);

  CTVRBoardDoc doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&context);
  doc.OnNewDocument();
  const long before = PeakKilobytes();
  const auto start = std::chrono::steady_clock::now();
  const bool opened = CTVRBoardDocPrivate::Of(doc).OnOpenDocument(path) != FALSE;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long after = PeakKilobytes();

  std::printf("script:        %ld MB of empty lines\n", megabytes);
  std::printf("opened:        %s, %d lines, in %.2f s\n", opened ? "yes" : "NO",
              CTVRBoardDocPrivate::Of(doc).GetLineCount(), seconds);
  std::printf("peak memory:   %.1f MB before the open, %.1f MB after\n", before / 1024.0, after / 1024.0);
  std::printf("added by open: %.1f MB, %.2f bytes per byte of script\n", (after - before) / 1024.0,
              (after - before) * 1024.0 / bytes);
  return opened ? 0 : 2;
}
