#include <map>
#include <mutex>

#include <tavric/board_options.h>

namespace {

struct COptions {
  std::mutex m_mutex;  // boards may ask from their own threads
  std::map<std::string, std::string> m_values;
};

COptions& Options() {
  static COptions options;
  return options;
}

}  // namespace

void SetBoardOption(const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> lock(Options().m_mutex);
  Options().m_values[name] = value;
}

std::string GetBoardOption(const std::string& name) {
  std::lock_guard<std::mutex> lock(Options().m_mutex);
  const auto it = Options().m_values.find(name);
  return it == Options().m_values.end() ? std::string() : it->second;
}
