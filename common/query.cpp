#include "dataset.h"

#include <climits>

#include "dbmessages.h"
#include "engineloader.h"
#include "cp1251.h"

namespace {

constexpr QChar ParamMarker = u':';

bool endsParamName(QChar c)
{
    return c == u' ' || c == u'\t' || c == u',' || c == u';' || c == u')' || c == u'\r' ||
           c == u'\n';
}

} // namespace

// ---- TParam ------------------------------------------------------------------------

void TParam::SetAsInteger(qint32 value)
{
    m_type = Integer;
    m_int = value;
    m_text.clear();
}

void TParam::SetAsString(const QString &value)
{
    m_type = String;
    m_text = value;
    m_int = 0;
}

QString TParam::AsString() const
{
    switch (m_type) {
    case Integer:
        return QString::number(m_int);
    case String:
        return m_text;
    case Unknown:
        break;
    }
    return QString();
}

void TParam::Clear()
{
    m_type = Unknown;
    m_int = 0;
    m_text.clear();
}

// ---- TParams -----------------------------------------------------------------------

TParam *TParams::Items(int index) const
{
    return index >= 0 && index < Count() ? m_items[size_t(index)].get() : nullptr;
}

TParam *TParams::FindParam(const QString &name) const
{
    for (const auto &param : m_items) {
        if (param->Name().compare(name, Qt::CaseInsensitive) == 0)
            return param.get();
    }
    return nullptr;
}

TParam *TParams::ParamByName(const QString &name) const
{
    TParam *param = FindParam(name);
    if (!param)
        throw EDatabaseError(DbMessages::text(DbMessages::ParamNotFound).arg(name));
    return param;
}

void TParams::Rebuild(const QStringList &names)
{
    std::vector<std::unique_ptr<TParam>> rebuilt;
    for (const QString &name : names) {
        auto kept = std::find_if(m_items.begin(), m_items.end(), [&](const auto &p) {
            return p && p->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        auto param = std::make_unique<TParam>(name);
        if (kept != m_items.end()) {
            if ((*kept)->Type() == TParam::Integer)
                param->SetAsInteger((*kept)->AsInteger());
            else if ((*kept)->Type() == TParam::String)
                param->SetAsString((*kept)->AsString());
        }
        rebuilt.push_back(std::move(param));
    }
    m_items = std::move(rebuilt);
}

QStringList TParams::FindNames(const QString &text)
{
    QStringList names;
    QChar quote;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c != ParamMarker)
            continue;
        if (i + 1 < n && text[i + 1] == ParamMarker) {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end < n && !endsParamName(text[end]))
            ++end;
        const QString name = text.mid(i + 1, end - i - 1);
        if (!name.isEmpty()) {
            const bool known = std::any_of(names.begin(), names.end(), [&](const QString &s) {
                return s.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (!known)
                names << name;
        }
        i = end - 1;
    }
    return names;
}

// ---- TStrings ----------------------------------------------------------------------

void TStrings::Clear()
{
    m_lines.clear();
    if (m_onChange)
        m_onChange();
}

void TStrings::Add(const QString &line)
{
    m_lines << line;
    if (m_onChange)
        m_onChange();
}

QString TStrings::Text() const
{
    QString text;
    for (const QString &line : m_lines)
        text += line + u'\n';
    return text;
}

void TStrings::SetText(const QString &text)
{
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    for (QString &line : m_lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    if (m_onChange)
        m_onChange();
}

// ---- TQuery ------------------------------------------------------------------------

TQuery::TQuery(QObject *parent) : TDataSet(parent), SQL([this] { linesChanged(); }) {}

TQuery::~TQuery() { Close(); }

void TQuery::linesChanged()
{
    Close();
    Params.Rebuild(TParams::FindNames(SQL.Text()));
}

std::vector<TDataSet::FieldDesc> TQuery::openImpl()
{
    EngineLoader &loader = EngineLoader::instance();
    dbe_engine *engine = loader.Engine();
    const DbeApi &api = loader.Api();

    std::vector<QByteArray> storage; // keeps the 1251 texts alive for the call
    storage.reserve(size_t(Params.Count()) * 2);
    std::vector<dbe_param> params;
    for (int i = 0; i < Params.Count(); ++i) {
        const TParam *p = Params.Items(i);
        if (p->IsNull())
            throw EDatabaseError(DbMessages::text(DbMessages::NoParamValue).arg(p->Name()));
        storage.push_back(Cp1251::fromUnicode(p->Name()));
        dbe_param dp {};
        dp.name = storage.back().constData();
        if (p->Type() == TParam::Integer) {
            dp.type = DBE_PARAM_INT;
            dp.int_value = p->AsInteger();
        } else {
            storage.push_back(Cp1251::fromUnicode(p->AsString()));
            dp.type = DBE_PARAM_TEXT;
            dp.text_value = storage.back().constData();
        }
        params.push_back(dp);
    }
    const QByteArray sql = Cp1251::fromUnicode(SQL.Text());
    dbe_cursor *cursor = nullptr;
    const int rc = api.query(engine, sql.constData(), params.data(), params.size(), &cursor);
    if (rc != DBE_OK || !cursor) {
        if (cursor)
            api.cursor_close(cursor);
        loader.raiseEngineError(rc == DBE_OK ? DBE_ERROR : rc);
    }

    std::vector<FieldDesc> fields;
    const int count = api.cursor_field_count(cursor);
    for (int i = 0; i < count; ++i) {
        dbe_field_desc d {};
        if (api.cursor_field(cursor, i, &d) != DBE_OK) {
            api.cursor_close(cursor);
            loader.raiseEngineError(DBE_ERROR);
        }
        fields.push_back({Cp1251::toUnicode(static_cast<const char *>(d.name)), d.type, d.length, d.decimals});
    }
    const int64_t rows = api.cursor_row_count(cursor);
    m_rowCount = int(std::clamp<int64_t>(rows, 0, INT_MAX));
    m_cursor = cursor;
    return fields;
}

void TQuery::closeImpl()
{
    if (m_cursor)
        EngineLoader::instance().Api().cursor_close(m_cursor);
    m_cursor = nullptr;
    m_rowCount = 0;
}

int TQuery::storedRowCount() const { return m_cursor ? m_rowCount : 0; }

QByteArray TQuery::storedText(int storedRow, int field) const
{
    if (!m_cursor)
        return QByteArray();
    const DbeApi &api = EngineLoader::instance().Api();
    return ReadEngineCell([&](char *buf, size_t size, size_t *len) {
        return api.cursor_text(m_cursor, storedRow, field, buf, size, len);
    });
}
