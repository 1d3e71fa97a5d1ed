#include "history_command.h"

#include "csv_line.h"
#include "history_path.h"
#include "history_store.h"
#include "history_texts.h"
#include "json_line.h"
#include "operation_json.h"
#include "operation_table.h"
#include "process_identity.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace kestrel {

namespace {

enum class Form { Plain, Csv, Json };

struct Query {
    QString path;
    OperationFilter filter;
    Form form = Form::Plain;
    bool verify = false;
};

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

// The one value of an option; an error when it is given more than once.
std::optional<QString> Single(const QStringList& values, const QString& option, QString* error) {
    if (values.size() > 1)
        *error = texts::GivenOnce(option);
    return values.size() == 1 ? std::optional(values.first()) : std::nullopt;
}

bool ReadDate(const QStringList& values, const QString& option, bool endOfDay,
              std::optional<std::int64_t>& ms, QString* error) {
    const auto given = Single(values, option, error);
    if (!given || !error->isEmpty())
        return error->isEmpty();
    ms = ParseFilterDate(given->toStdString(), endOfDay);
    if (!ms)
        *error = texts::BadDate(option, *given);
    return ms.has_value();
}

std::optional<Query> ReadArgs(const HistoryArgs& args, QString* error) {
    Query query;
    query.path = HistoryPath(args.historyFile);
    query.verify = args.verify;
    query.form = args.json ? Form::Json : args.csv ? Form::Csv : Form::Plain;
    if (args.csv && args.json) {
        *error = texts::CsvOrJson();
        return std::nullopt;
    }
    const bool filtered = !args.serial.isEmpty() || !args.since.isEmpty() ||
                          !args.until.isEmpty() || !args.result.isEmpty() || !args.last.isEmpty();
    if (args.verify && (filtered || args.csv)) {
        *error = texts::VerifyTakesNoFilter();
        return std::nullopt;
    }
    OperationFilter& filter = query.filter;
    if (const auto serial = Single(args.serial, QStringLiteral("--serial"), error)) {
        if (serial->isEmpty() || serial->size() > 64 ||
            std::any_of(serial->begin(), serial->end(), IsControl))
            *error = texts::BadSerial();
        filter.serial = serial->toStdString();
    }
    if (!error->isEmpty() ||
        !ReadDate(args.since, QStringLiteral("--since"), false, filter.sinceMs, error) ||
        !ReadDate(args.until, QStringLiteral("--until"), true, filter.untilMs, error))
        return std::nullopt;
    if (filter.sinceMs && filter.untilMs && *filter.sinceMs > *filter.untilMs) {
        *error = texts::SinceAfterUntil();
        return std::nullopt;
    }
    if (const auto result = Single(args.result, QStringLiteral("--result"), error)) {
        QStringList codes = args.resultCodes;
        codes << QStringLiteral("interrupted") << QStringLiteral("running");
        codes.removeDuplicates();
        if (!codes.contains(*result))
            *error = texts::BadResult(*result, codes.join(QStringLiteral(", ")));
        filter.result = result->toStdString();
    }
    if (const auto last = Single(args.last, QStringLiteral("--last"), error)) {
        bool number = !last->isEmpty() && last->size() <= 9 &&
                      std::all_of(last->begin(), last->end(), [](QChar c) { return c.isDigit(); });
        filter.last = number ? last->toInt() : 0;
        if (filter.last < 1)
            *error = texts::BadLast(*last);
    }
    if (!error->isEmpty())
        return std::nullopt;
    return query;
}

void Write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void Write(std::FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

void Write(std::FILE* stream, const QString& text) {
    Write(stream, text.toUtf8());
}

int Failed(std::FILE* err, const QString& sentence) {
    Write(err, texts::HistoryError(sentence));
    return 1;
}

int Verify(const Query& query, HistoryStore& store, std::FILE* out, std::FILE* err) {
    HistoryStore::Verdict verdict;
    QString error;
    if (!store.Verify(&verdict, &error))
        return Failed(err, error);
    const QString text =
        verdict.broken
            ? texts::HistoryBroken(query.path, verdict.checked,
                                   QString::fromStdString(DescribeBreak(*verdict.broken)))
            : texts::HistoryIntact(query.path, verdict.checked);
    if (query.form == Form::Json)
        Write(out, JsonObjectLine(VerdictJson(!verdict.broken, verdict.checked, text)));
    else if (verdict.broken)
        Write(err, texts::HistoryError(text));
    else
        Write(out, text + QLatin1Char('\n'));
    return verdict.broken ? 1 : 0;
}

void Show(const Query& query, const std::vector<Operation>& operations, std::FILE* out,
          std::FILE* err) {
    switch (query.form) {
    case Form::Plain:
        if (operations.empty()) {
            Write(err, texts::HistoryError(texts::NoOperationMatches(query.path)));
            return;
        }
        Write(out, OperationsTable(operations, [](std::int64_t ms) {
                  return QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
              }));
        return;
    case Form::Csv:
        Write(out, OperationsCsv(operations));
        return;
    case Form::Json:
        for (const Operation& operation : operations)
            Write(out, JsonObjectLine(OperationJson(operation)));
        return;
    }
}

} // namespace

int HistoryCommand(const HistoryArgs& args, std::FILE* out, std::FILE* err) {
    QString error;
    const std::optional<Query> query = ReadArgs(args, &error);
    if (!query) {
        Write(err, texts::HistoryUsage(error));
        return 2;
    }
    if (!QFileInfo::exists(query->path)) {
        // A bench that has not worked yet: nothing is wrong.
        if (query->verify && query->form == Form::Json)
            Write(out, JsonObjectLine(VerdictJson(true, 0, texts::NoEventsToCheck(query->path))));
        else if (query->verify)
            Write(out, texts::NoEventsToCheck(query->path) + QLatin1Char('\n'));
        else
            Write(err, texts::HistoryError(texts::NoHistoryYet(query->path)));
        if (!query->verify && query->form == Form::Csv)
            Write(out, OperationsCsv({}));
        return 0;
    }
    HistoryStore store;
    if (!store.Open(query->path, &error))
        return Failed(err, error);
    if (query->verify)
        return Verify(*query, store, out, err);
    std::vector<Operation> operations;
    if (!store.ReadOperations(query->filter, LocalProcessGone(), &operations, &error))
        return Failed(err, error);
    Show(*query, operations, out, err);
    return 0;
}

} // namespace kestrel
