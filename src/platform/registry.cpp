// The settings store over an INI file.
//
// Layout: every section lies below the group "Settings"; a section path nests
// with '\' ("Settings\CTVRSimDoc\0") and becomes the INI group
// "Settings/CTVRSimDoc/0". Values are written as text, so the file stays
// readable and editable by hand: integers in decimal, texts as they are,
// binary values as upper-case hexadecimal pairs.
#include <tavric/registry.h>

#include <climits>
#include <cstdlib>

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

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

int HexDigit(QChar c) {
  char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

bool HexToBytes(const QVariant& value, std::vector<tvr::BYTE>& bytes) {
  if (value.typeId() != QMetaType::QString) return false;
  const QString text = value.toString();
  std::vector<tvr::BYTE> result;
  result.reserve(std::size_t(text.size() / 2));
  int high = -1;
  for (QChar c : text) {
    if (c.isSpace()) {
      if (high >= 0) return false;  // half a byte
      continue;
    }
    int digit = HexDigit(c);
    if (digit < 0) return false;
    if (high < 0) {
      high = digit;
    } else {
      result.push_back(tvr::BYTE(high << 4 | digit));
      high = -1;
    }
  }
  if (high >= 0) return false;
  bytes = std::move(result);
  return true;
}

}  // namespace

struct CTVRRegistry::Impl {
  explicit Impl(bool readOnly)
      : m_bReadOnly(readOnly),
        m_settings(QString::fromLocal8Bit(CTVRRegistry::GetStoreFileName().c_str()), QSettings::IniFormat) {
    m_settings.setFallbacksEnabled(false);
  }
  ~Impl() {
    // Flushed here so that a document saved at exit is on disk even if the
    // process is killed right after.
    if (!m_bReadOnly) m_settings.sync();
  }

  bool SectionExists(const QString& group) {
    m_settings.beginGroup(group);
    bool exists = !m_settings.allKeys().isEmpty();
    m_settings.endGroup();
    return exists;
  }

  QVariant Value(const std::string& name) {
    if (!m_bOpen || !IsValidName(name)) return QVariant();
    return m_settings.value(m_group + QLatin1Char('/') + QString::fromUtf8(name.c_str()));
  }

  tvr::BOOL Store(const std::string& name, const QVariant& value) {
    if (m_bReadOnly || !m_bOpen || !IsValidName(name) || !m_settings.isWritable()) return FALSE;
    m_settings.setValue(m_group + QLatin1Char('/') + QString::fromUtf8(name.c_str()), value);
    return m_settings.status() == QSettings::NoError ? TRUE : FALSE;
  }

  bool m_bReadOnly;
  bool m_bOpen = false;
  QString m_group;
  QSettings m_settings;
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
  m_pImpl->m_bOpen = m_pImpl->m_settings.isWritable();
  return m_pImpl->m_bOpen ? TRUE : FALSE;
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
  static const char digits[] = "0123456789ABCDEF";
  QString hex;
  hex.reserve(qsizetype(count) * 2);
  for (tvr::UINT i = 0; i < count; ++i) {
    hex += QLatin1Char(digits[data[i] >> 4]);
    hex += QLatin1Char(digits[data[i] & 0x0F]);
  }
  return m_pImpl->Store(name, hex);
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
