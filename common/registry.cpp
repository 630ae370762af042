#include "registry.h"

#include <optional>

#include "exceptions.h"
#include "initext.h"
#include "messages.h"

#ifndef FONVIK_MACHINE_STORE
#error "FONVIK_MACHINE_STORE must name the machine-wide store file"
#endif

namespace {

constexpr QByteArrayView kNewStoreHeader =
    "# Machine-wide settings of the telephone directory programs.\n";
constexpr char kPathSeparator = '\\';
constexpr char kTypeSeparator = ':';
constexpr char kEscape = '\\';

enum class ValueType { None, String, ExpandString, MultiString, Number, Binary };

struct TypeName {
    QByteArrayView name;
    ValueType type;
};
constexpr TypeName kTypeNames[] = {
    {"sz", ValueType::String},          {"expand_sz", ValueType::ExpandString},
    {"multi_sz", ValueType::MultiString}, {"dword", ValueType::Number},
    {"binary", ValueType::Binary},      {"none", ValueType::None},
};

struct StoredValue {
    ValueType type = ValueType::None;
    QByteArray data;
};

QString &testStorePath()
{
    static QString path;
    return path;
}

StoreFileAccess *&testAccess()
{
    static StoreFileAccess *access = nullptr;
    return access;
}

StoreFileAccess &access()
{
    static StoreFileAccess fileSystem;
    return testAccess() ? *testAccess() : fileSystem;
}

QString decodeName(QByteArrayView name)
{
    return QString::fromUtf8(name);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray unescaped(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != kEscape || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const char e = text[i + 1];
        switch (e) {
        case '\\': out.append('\\'); ++i; continue;
        case '0': out.append('\0'); ++i; continue;
        case 'n': out.append('\n'); ++i; continue;
        case 'r': out.append('\r'); ++i; continue;
        case 't': out.append('\t'); ++i; continue;
        case 'x':
            if (i + 3 < text.size()) {
                const int hi = hexDigit(text[i + 2]);
                const int lo = hexDigit(text[i + 3]);
                if (hi >= 0 && lo >= 0) {
                    out.append(static_cast<char>(hi * 16 + lo));
                    i += 3;
                    continue;
                }
            }
            break;
        default: break;
        }
        out.append(c);
    }
    return out;
}

QByteArray escaped(QByteArrayView data)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(data.size() + 2);
    for (const char c : data) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out.append("\\\\"); continue;
        case '\0': out.append("\\0"); continue;
        case '\n': out.append("\\n"); continue;
        case '\r': out.append("\\r"); continue;
        case '\t': out.append("\\t"); continue;
        default: break;
        }
        if (b < 0x20 || b == 0x7F) {
            out.append("\\x");
            out.append(kHex[b >> 4]);
            out.append(kHex[b & 0xF]);
        } else {
            out.append(c);
        }
    }
    return out;
}

std::optional<QByteArray> parsedHex(QByteArrayView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ',') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const int hi = hexDigit(c);
        const int lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.append(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

std::optional<QByteArray> parsedNumber(QByteArrayView text)
{
    bool ok = false;
    const QByteArray t = text.trimmed().toByteArray();
    const uint n = t.startsWith("0x") || t.startsWith("0X") ? t.mid(2).toUInt(&ok, 16)
                                                             : t.toUInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return out;
}

StoredValue parsedValue(QByteArrayView text)
{
    const qsizetype colon = text.indexOf(kTypeSeparator);
    if (colon > 0) {
        const QByteArray prefix = text.first(colon).toByteArray().toLower();
        const QByteArrayView data = text.sliced(colon + 1);
        for (const TypeName &t : kTypeNames) {
            if (prefix != t.name)
                continue;
            switch (t.type) {
            case ValueType::String:
            case ValueType::ExpandString:
            case ValueType::MultiString:
                return {t.type, unescaped(data)};
            case ValueType::Number:
            case ValueType::Binary:
            case ValueType::None: {
                const auto bytes = t.type == ValueType::Number ? parsedNumber(data) : parsedHex(data);
                if (bytes)
                    return {t.type, *bytes};
                return {ValueType::Binary, data.toByteArray()};
            }
            }
        }
    }
    return {ValueType::String, text.toByteArray()};
}

QByteArray keySection(const QString &path)
{
    return path.toUtf8();
}

} // namespace

StoreFileAccess::~StoreFileAccess() = default;

FileAccess::ReadResult StoreFileAccess::load(const QString &path, QByteArray &bytes)
{
    return FileAccess::readWhole(path, bytes);
}

bool StoreFileAccess::mayWrite(const QString &path)
{
    return FileAccess::mayWrite(path, true);
}

bool StoreFileAccess::save(const QString &path, const QByteArray &bytes)
{
    return FileAccess::replaceWhole(path, bytes, true);
}

QString MachineStorePath()
{
    if (!testStorePath().isEmpty())
        return testStorePath();
    return QStringLiteral(FONVIK_MACHINE_STORE);
}

void setMachineStorePathForTesting(const QString &path)
{
    testStorePath() = path;
}

StoreFileAccess *setStoreFileAccessForTesting(StoreFileAccess *replacement)
{
    StoreFileAccess *previous = testAccess();
    testAccess() = replacement;
    return previous;
}

TRegistry::TRegistry(unsigned int access) : m_access(access) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::setRootKey(HKEY rootKey)
{
    CloseKey();
    m_rootKey = rootKey;
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    CloseKey();
    if (m_rootKey != HKEY_LOCAL_MACHINE)
        return false;
    QString path = key;
    if (path.startsWith(QLatin1Char(kPathSeparator)))
        path.remove(0, 1);
    if (path.isEmpty() || path.contains(u']') || path.contains(u'\n') || path.contains(u'\r') ||
        path.contains(QChar(0)))
        return false;

    const QString store = MachineStorePath();
    const bool writeAccess = m_access == KEY_ALL_ACCESS;
    if (writeAccess && !access().mayWrite(store))
        return false;
    QByteArray bytes;
    const FileAccess::ReadResult read = access().load(store, bytes);
    if (read == FileAccess::ReadResult::Failed)
        return false;
    IniText text(read == FileAccess::ReadResult::Ok ? bytes : kNewStoreHeader.toByteArray(),
                 decodeName);
    if (!text.hasSection(keySection(path))) {
        if (!canCreate || !writeAccess)
            return false;
        text.addSection(keySection(path));
        if (!access().save(store, text.bytes()))
            return false;
    }
    m_currentPath = path;
    m_open = true;
    return true;
}

QString TRegistry::ReadString(const QString &name)
{
    if (!m_open)
        return QString();
    QByteArray bytes;
    const FileAccess::ReadResult read = access().load(MachineStorePath(), bytes);
    if (read == FileAccess::ReadResult::Failed)
        throw ERegistryException(Messages::failedToGetData(name));
    const IniText text(std::move(bytes), decodeName);
    const auto raw = text.value(keySection(m_currentPath), name.toUtf8());
    if (!raw)
        return QString();
    const StoredValue value = parsedValue(*raw);
    if (value.data.isEmpty())
        return QString();
    if (value.type != ValueType::String && value.type != ValueType::ExpandString)
        throw ERegistryException(Messages::invalidDataType(name));
    const qsizetype nul = value.data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? value.data : value.data.first(nul));
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    const QByteArray n = name.toUtf8();
    if (!m_open || m_access != KEY_ALL_ACCESS || n.isEmpty() || n.contains('=') ||
        n.contains('\n') || n.contains('\r') || n.contains('\0') || n.startsWith(';') ||
        n.startsWith('#') || n.startsWith('[') || n != n.trimmed())
        throw ERegistryException(Messages::failedToSetData(name));
    const QString store = MachineStorePath();
    QByteArray bytes;
    const FileAccess::ReadResult read = access().load(store, bytes);
    if (read == FileAccess::ReadResult::Failed)
        throw ERegistryException(Messages::failedToSetData(name));
    IniText text(read == FileAccess::ReadResult::Ok ? bytes : kNewStoreHeader.toByteArray(),
                 decodeName);
    QByteArray data = value.toUtf8();
    data.append('\0');
    text.setValue(keySection(m_currentPath), n, "sz:" + escaped(data));
    if (!access().save(store, text.bytes()))
        throw ERegistryException(Messages::failedToSetData(name));
}

void TRegistry::CloseKey()
{
    m_open = false;
    m_currentPath.clear();
}
