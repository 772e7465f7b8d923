// A rule file of the virtual card (vcard_rules.h): any text up to the first
// zero byte, then what follows it as the card's socket stream, answered under
// the rules read. A refusal names a line of the text; rules read keep theirs;
// every answer is a well-formed message, except the half of one that a drop
// leaves last.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sim_card.h"
#include "vcard_rules.h"
#include "vpcd_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const std::size_t textLength = zero ? std::size_t(zero - data) : size;
  const std::string text(reinterpret_cast<const char*>(data), textLength);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';

  CTVRVcardRules rules;
  const std::string why = rules.Parse(text);
  if (!why.empty()) {
    if (why.compare(0, 5, "line ") != 0) std::abort();
    const unsigned long line = std::strtoul(why.c_str() + 5, nullptr, 10);
    if (line < 1 || line > lines || !rules.GetRules().empty() || rules.HasAtr()) std::abort();
    return 0;
  }
  for (const CTVRVcardRules::CRule& rule : rules.GetRules())
    if (rule.m_nLine < 1 || rule.m_nLine > lines) std::abort();
  if (rules.HasAtr() && (rules.GetAtr().empty() || rules.GetAtr().size() > CTVRVcardRules::MAX_ATR_LENGTH))
    std::abort();

  if (!zero) return 0;
  CTVRSimCard card;
  CTVRVpcdSession session(card);
  session.SetRules(&rules);
  std::vector<tvr::BYTE> out;
  session.Feed(zero + 1, size - textLength - 1, out);
  const bool dropped = session.TakeCue().m_eKind == CTVRVpcdSession::CCue::CUE_DROP;
  std::size_t at = 0;
  while (at + 2 <= out.size()) at += 2 + (std::size_t(out[at]) << 8 | out[at + 1]);
  if (at != out.size() && !dropped) std::abort();
  return 0;
}
