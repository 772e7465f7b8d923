// The settings store over an INI file.
//
// Layout: every section lies below the group "Settings"; a section path nests
// with '\' ("Settings\CTVRSimDoc\0") and becomes the INI group
// "Settings/CTVRSimDoc/0". Values are written as text, so the file stays
// readable and editable by hand: integers in decimal, texts as they are,
// binary values as upper-case hexadecimal pairs.
//
// QSettings parses the file and holds the values, but never touches the
// user's file: it works on a private copy, made through the file reader
// (which refuses a pipe, a device or a folder, and a file beyond a few MB),
// and the file is written by this store through the file writer, which
// replaces it only once the new content is safely on the disk.
#include <tavric/registry.h>

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <tavric/hex_text.h>
#include <tavric/prompts.h>

#include "platform/file_reader.h"
#include "platform/file_writer.h"

namespace {

const char kBaseSection[] = "Settings";
const char kOrganisation[] = "Norvale Devices";
const char kApplication[] = "Tavric";

// "Settings\A\B", "A\B" and "A/B" all give "Settings/A/B": a path that does
// not start with the base section is taken as relative to it.
QString ToGroup(const std::string& keyPath) {
  QString path = QString::fromUtf8(keyPath.data(), qsizetype(keyPath.size()));
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (parts.isEmpty() || parts.front() != QLatin1String(kBaseSection)) parts.prepend(QLatin1String(kBaseSection));
  return parts.join(QLatin1Char('/'));
}

// A value name is one key of its section: a separator in it would silently
// reach into another section.
bool IsValidName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/") == std::string::npos;
}

// Texts are UTF-8 on this platform; bytes that are not valid UTF-8 are kept
// exactly as a byte array rather than mangled into replacement characters.
QVariant TextToVariant(const std::string& text) {
  QByteArray bytes(text.data(), qsizetype(text.size()));
  QString decoded = QString::fromUtf8(bytes);
  if (decoded.toUtf8() == bytes) return decoded;
  return bytes;
}

bool VariantToText(const QVariant& value, std::string& text) {
  switch (value.typeId()) {
    case QMetaType::QString:
      text = value.toString().toStdString();
      return true;
    case QMetaType::QByteArray:
      text = value.toByteArray().toStdString();
      return true;
    case QMetaType::QStringList:
      // An unquoted hand-written text with commas reads back as a list.
      text = value.toStringList().join(QStringLiteral(", ")).toStdString();
      return true;
    default:
      return false;
  }
}

// Accepts the 32 bits of a registry number either way: -1 and 4294967295 are
// the same value, as int or as DWORD.
bool VariantToNumber(const QVariant& value, long long& number) {
  if (value.typeId() != QMetaType::QString) return false;
  bool ok = false;
  number = value.toString().trimmed().toLongLong(&ok, 10);
  return ok && number >= INT_MIN && number <= (long long)UINT_MAX;
}

// Pairs of digits, any white space (Unicode's too) between them.
bool HexToBytes(const QVariant& value, std::vector<tvr::BYTE>& bytes) {
  if (value.typeId() != QMetaType::QString) return false;
  const QString text = value.toString();
  std::string ascii;
  ascii.reserve(std::size_t(text.size()));
  for (QChar c : text) {
    if (c.isSpace())
      ascii += ' ';
    else if (CTVRHexText::DigitValue(c.unicode()) >= 0)
      ascii += char(c.unicode());
    else
      return false;
  }
  return CTVRHexText::ReadBytes(ascii, bytes, CTVRHexText::SPACES_BETWEEN_BYTES);
}

// ---- Writing the INI text the way QSettings reads it ----------------------

void AppendEscapedKey(const QString& key, QByteArray& out) {
  for (QChar qc : key) {
    const char16_t c = qc.unicode();
    if (c == '/') {
      out += '\\';
    } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.') {
      out += char(c);
    } else if (c <= 0xFF) {
      out += '%';
      out += CTVRHexText::Digit(c >> 4);
      out += CTVRHexText::Digit(c);
    } else {
      out += "%U";
      for (int shift = 12; shift >= 0; shift -= 4) out += CTVRHexText::Digit(c >> shift);
    }
  }
}

// Escapes and quotes as QSettings expects; a byte array's characters are
// bytes, so they are escaped rather than encoded.
void AppendEscapedText(const QString& text, bool bytes, QByteArray& out) {
  const qsizetype start = out.size();
  bool quote = false;
  bool escapeHexDigit = false;  // after \x, a hex digit would join the number
  for (QChar qc : text) {
    const char16_t c = qc.unicode();
    if (c == ';' || c == ',' || c == '=') quote = true;
    if (escapeHexDigit && CTVRHexText::DigitValue(c) >= 0) {
      out += "\\x" + QByteArray::number(c, 16);
      continue;
    }
    escapeHexDigit = false;
    switch (c) {
      case '\0':
        out += "\\0";
        escapeHexDigit = true;
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      case '"':
      case '\\':
        out += '\\';
        out += char(c);
        break;
      default:
        if (c <= 0x1F || (c >= 0x7F && bytes)) {
          out += "\\x" + QByteArray::number(c, 16);
          escapeHexDigit = true;
        } else {
          out += QString(qc).toUtf8();
        }
    }
  }
  if (quote || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
    out.insert(start, '"');
    out += '"';
  }
}

void AppendValue(const QVariant& value, QByteArray& out) {
  switch (value.typeId()) {
    case QMetaType::QByteArray:
      AppendEscapedText("@ByteArray(" + QString::fromLatin1(value.toByteArray()) + ")", true, out);
      return;
    case QMetaType::QStringList: {
      const QStringList list = value.toStringList();
      for (qsizetype i = 0; i < list.size(); ++i) {
        if (i) out += ", ";
        AppendEscapedText(list[i].startsWith('@') ? "@" + list[i] : list[i], false, out);
      }
      return;
    }
    default: {
      const QString text = value.toString();
      AppendEscapedText(text.startsWith('@') ? "@" + text : text, false, out);
    }
  }
}

QByteArray IniText(const QSettings& settings) {
  // Sections are the first part of every key, as QSettings lays them out.
  std::map<QString, std::vector<QString>> sections;
  for (const QString& key : settings.allKeys()) {
    const qsizetype slash = key.indexOf('/');
    sections[slash < 0 ? QStringLiteral("General") : key.left(slash)].push_back(key);
  }
  QByteArray out;
  for (const auto& [section, keys] : sections) {
    if (!out.isEmpty()) out += '\n';
    out += '[';
    if (section == QLatin1String("General") && keys.front().contains('/')) out += "%";
    AppendEscapedKey(section, out);
    out += "]\n";
    for (const QString& key : keys) {
      const qsizetype slash = key.indexOf('/');
      AppendEscapedKey(slash < 0 ? key : key.mid(slash + 1), out);
      out += '=';
      AppendValue(settings.value(key), out);
      out += '\n';
    }
  }
  return out;
}

// ---- The private copies the settings are parsed from -------------------------

// Far beyond any settings file; a wrong file named by TAVRIC_SETTINGS (a
// disk image, say) is not read into memory.
constexpr std::size_t kStoreLimit = std::size_t(4) << 20;

struct CStamp {
  bool m_bExists = false;
  dev_t m_Device = 0;
  ino_t m_Inode = 0;
  off_t m_Size = 0;
  long long m_nModified = 0;
  bool operator==(const CStamp&) const = default;
};

CStamp StampOf(const std::string& path) {
  struct stat info {};
  CStamp stamp;
  if (::stat(path.c_str(), &info) != 0) return stamp;
  stamp = {true, info.st_dev, info.st_ino, info.st_size,
           (long long)info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
  return stamp;
}

class CStoreCopies {
 public:
  struct CEntry {
    QString m_strCopy;  // what QSettings parses; empty when the file is refused
    CStamp m_Stamp;     // the file as last read or written
    bool m_bKnown = false;
  };

  static CStoreCopies& Get() {
    static CStoreCopies copies;
    return copies;
  }

  // The copy to parse for the file, taken again when the file changed since
  // it was last read or written here. An empty name: the file is refused
  // (said once), or no copy could be made.
  QString Prepare(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    CEntry& entry = m_Entries[path];
    const CStamp now = StampOf(path);
    if (entry.m_bKnown && now == entry.m_Stamp) return entry.m_strCopy;
    entry.m_bKnown = true;
    entry.m_Stamp = now;
    if (!entry.m_strCopy.isEmpty()) QFile::remove(entry.m_strCopy);
    entry.m_strCopy.clear();

    std::string bytes;
    if (now.m_bExists) {
      const CTVRFileReader::EResult read = CTVRFileReader::ReadAll(path, bytes, kStoreLimit);
      if (read != CTVRFileReader::READ_OK) {
        TVRMessageBox("The settings file \"" + path + "\" " + CTVRFileReader::Describe(read) +
                      ": no settings are read from it or saved to it.");
        return {};
      }
    }
    // A new name for every copy: QSettings tells files apart by name, size
    // and time, and two copies may share the last two.
    QString copy = m_Dir.filePath(QStringLiteral("settings-%1.ini").arg(++m_nCopies));
    if (!m_Dir.isValid() || !CTVRFileWriter::WriteAll(copy.toStdString(), bytes)) return {};
    entry.m_strCopy = copy;
    return copy;
  }

  bool Save(const std::string& path, const QSettings& settings, std::string& reason) {
    const QByteArray text = IniText(settings);
    std::lock_guard<std::mutex> lock(m_Mutex);
    // The first save makes the folder (~/.config/Norvale Devices).
    QDir().mkpath(QFileInfo(QString::fromLocal8Bit(path.c_str())).absolutePath());
    if (!CTVRFileWriter::WriteAll(path, std::string_view(text.constData(), std::size_t(text.size())), &reason))
      return false;
    m_Entries[path].m_Stamp = StampOf(path);
    return true;
  }

 private:
  std::mutex m_Mutex;
  QTemporaryDir m_Dir;
  int m_nCopies = 0;
  std::map<std::string, CEntry> m_Entries;
};

}  // namespace

struct CTVRRegistry::Impl {
  explicit Impl(bool readOnly) : m_bReadOnly(readOnly), m_strPath(CTVRRegistry::GetStoreFileName()) {
    const QString copy = CStoreCopies::Get().Prepare(m_strPath);
    if (copy.isEmpty()) return;
    m_settings.emplace(copy, QSettings::IniFormat);
    m_settings->setFallbacksEnabled(false);
  }
  ~Impl() {
    // Written here so that a document saved at exit is on disk even if the
    // process is killed right after.
    Flush(nullptr);
  }

  bool Flush(std::string* reason) {
    if (!m_bChanged) return true;
    std::string why;
    if (!m_settings || !CStoreCopies::Get().Save(m_strPath, *m_settings, why)) {
      if (reason != nullptr) *reason = m_settings ? why : "the file was not read";
      return false;
    }
    m_bChanged = false;
    return true;
  }

  bool SectionExists(const QString& group) {
    if (!m_settings) return false;
    m_settings->beginGroup(group);
    bool exists = !m_settings->allKeys().isEmpty();
    m_settings->endGroup();
    return exists;
  }

  QVariant Value(const std::string& name) {
    if (!m_settings || !m_bOpen || !IsValidName(name)) return QVariant();
    return m_settings->value(m_group + QLatin1Char('/') + QString::fromUtf8(name.c_str()));
  }

  tvr::BOOL Store(const std::string& name, const QVariant& value) {
    if (m_bReadOnly || !m_settings || !m_bOpen || !IsValidName(name)) return FALSE;
    m_settings->setValue(m_group + QLatin1Char('/') + QString::fromUtf8(name.c_str()), value);
    m_bChanged = true;
    return TRUE;
  }

  bool m_bReadOnly;
  bool m_bOpen = false;
  bool m_bChanged = false;
  std::string m_strPath;
  QString m_group;
  std::optional<QSettings> m_settings;  // none: the file is refused
};

CTVRRegistry::CTVRRegistry(tvr::BOOL, tvr::BOOL bReadOnly) : m_pImpl(std::make_unique<Impl>(bReadOnly != FALSE)) {}

CTVRRegistry::~CTVRRegistry() = default;

tvr::BOOL CTVRRegistry::Open(const std::string& keyPath) {
  m_pImpl->m_group = ToGroup(keyPath);
  m_pImpl->m_bOpen = m_pImpl->SectionExists(m_pImpl->m_group);
  return m_pImpl->m_bOpen ? TRUE : FALSE;
}

tvr::BOOL CTVRRegistry::CreateKey(const std::string& keyPath) {
  // A read-only store creates nothing: it opens what is there.
  if (m_pImpl->m_bReadOnly) return Open(keyPath);
  m_pImpl->m_group = ToGroup(keyPath);
  m_pImpl->m_bOpen = m_pImpl->m_settings.has_value();
  return m_pImpl->m_bOpen ? TRUE : FALSE;
}

tvr::BOOL CTVRRegistry::Flush(std::string* reason) {
  return m_pImpl->Flush(reason) ? TRUE : FALSE;
}

tvr::BOOL CTVRRegistry::Read(const std::string& name, int& value) {
  long long number = 0;
  if (!VariantToNumber(m_pImpl->Value(name), number)) return FALSE;
  value = int(tvr::DWORD(number));
  return TRUE;
}

tvr::BOOL CTVRRegistry::Read(const std::string& name, tvr::DWORD& value) {
  long long number = 0;
  if (!VariantToNumber(m_pImpl->Value(name), number)) return FALSE;
  value = tvr::DWORD(number);
  return TRUE;
}

tvr::BOOL CTVRRegistry::Read(const std::string& name, std::string& value) {
  QVariant stored = m_pImpl->Value(name);
  if (!stored.isValid()) return FALSE;
  return VariantToText(stored, value) ? TRUE : FALSE;
}

tvr::BOOL CTVRRegistry::Read(const std::string& name, std::vector<tvr::BYTE>& value) {
  return HexToBytes(m_pImpl->Value(name), value) ? TRUE : FALSE;
}

tvr::BOOL CTVRRegistry::Write(const std::string& name, int value) {
  return m_pImpl->Store(name, QString::number(value));
}

tvr::BOOL CTVRRegistry::Write(const std::string& name, tvr::DWORD value) {
  return m_pImpl->Store(name, QString::number(value));
}

tvr::BOOL CTVRRegistry::Write(const std::string& name, const std::string& value) {
  return m_pImpl->Store(name, TextToVariant(value));
}

tvr::BOOL CTVRRegistry::Write(const std::string& name, const tvr::BYTE* data, tvr::UINT count) {
  if (data == nullptr && count != 0) return FALSE;
  return m_pImpl->Store(name, QString::fromLatin1(CTVRHexText::BytesText(data, count)));
}

std::string CTVRRegistry::GetRegSectionPath(const std::string& section) {
  if (section.empty()) return kBaseSection;
  return std::string(kBaseSection) + '\\' + section;
}

std::string CTVRRegistry::GetStoreFileName() {
  const char* relocated = std::getenv("TAVRIC_SETTINGS");
  if (relocated != nullptr && *relocated != '\0') return relocated;
  QSettings defaults(QSettings::IniFormat, QSettings::UserScope, QLatin1String(kOrganisation),
                     QLatin1String(kApplication));
  return defaults.fileName().toStdString();
}
