#include "scan_output.h"

#include "hw_version_rule.h"
#include "json_output.h"
#include "progress_output.h"
#include "terminal_text.h"

#include <QHostAddress>
#include <QJsonArray>

#include <algorithm>
#include <array>

namespace kestrel::cli {

namespace {

QString Cell(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : Escaped(text);
}

// A version as the rule reads it; what is not one is "unread" (JSON keeps
// what the camera gave).
QString VersionCell(const QString& text) {
    if (text.isEmpty())
        return Cell(text);
    const std::string version = NormalizedHwVersion(text.toLatin1().toStdString());
    return version.empty() ? QStringLiteral("unread") : QString::fromStdString(version);
}

std::array<QString, 6> Cells(const ScanFinding& finding) {
    return {finding.Endpoint(),
            ScanFinding::StateName(finding.state),
            Cell(finding.identity.serial),
            Cell(finding.identity.model),
            VersionCell(finding.identity.hardware),
            Cell(finding.identity.software)};
}

QString Summary(qsizetype found, std::uint64_t addresses) {
    return QStringLiteral("%1 %2 found at %3 %4.\n")
        .arg(found)
        .arg(found == 1 ? QStringLiteral("camera") : QStringLiteral("cameras"))
        .arg(addresses)
        .arg(addresses == 1 ? QStringLiteral("address") : QStringLiteral("addresses"));
}

} // namespace

ScanOutput::ScanOutput(std::FILE* stream, const ScanOptions& options)
    : m_stream(stream), m_options(options) {}

void ScanOutput::Begin() {
    m_clock.start();
    if (m_options.form == ScanOptions::Form::Json)
        JsonOutput(m_stream).Write(
            {{QStringLiteral("event"), QStringLiteral("begin")},
             {QStringLiteral("command"), QStringLiteral("scan")},
             {QStringLiteral("targets"), QJsonArray::fromStringList(m_options.targetTexts)},
             {QStringLiteral("addresses"), static_cast<qint64>(m_options.addresses)}});
}

void ScanOutput::OnFound(const ScanFinding& finding) {
    m_found.append(finding);
    switch (m_options.form) {
    case ScanOptions::Form::Table:
        return; // at the end, sorted
    case ScanOptions::Form::Plain:
        WriteText(m_stream, PlainLine(finding));
        return;
    case ScanOptions::Form::Addresses:
        WriteText(m_stream, finding.Endpoint() + QLatin1Char('\n'));
        return;
    case ScanOptions::Form::Json:
        JsonOutput(m_stream).Write(
            {{QStringLiteral("event"), QStringLiteral("camera")},
             {QStringLiteral("address"), finding.address},
             {QStringLiteral("port"), finding.port},
             {QStringLiteral("state"), ScanFinding::StateName(finding.state)},
             {QStringLiteral("camera"), JsonOutput::IdentityObject(finding.identity)},
             {QStringLiteral("elapsedMs"), m_clock.elapsed()}});
        return;
    }
}

void ScanOutput::End(bool interrupted) {
    switch (m_options.form) {
    case ScanOptions::Form::Table:
        Sort(m_found);
        if (!m_found.isEmpty())
            WriteText(m_stream, Table(m_found));
        WriteText(m_stream, Summary(m_found.size(), m_options.addresses));
        break;
    case ScanOptions::Form::Plain:
        WriteText(m_stream, Summary(m_found.size(), m_options.addresses));
        break;
    case ScanOptions::Form::Addresses:
        break;
    case ScanOptions::Form::Json:
        JsonOutput(m_stream).Write(
            {{QStringLiteral("event"), QStringLiteral("summary")},
             {QStringLiteral("command"), QStringLiteral("scan")},
             {QStringLiteral("found"), m_found.size()},
             {QStringLiteral("addresses"), static_cast<qint64>(m_options.addresses)},
             {QStringLiteral("interrupted"), interrupted},
             {QStringLiteral("elapsedMs"), m_clock.elapsed()}});
        break;
    }
}

void ScanOutput::Sort(QList<ScanFinding>& findings) {
    std::sort(findings.begin(), findings.end(), [](const ScanFinding& a, const ScanFinding& b) {
        return std::pair(QHostAddress(a.address).toIPv4Address(), a.port) <
               std::pair(QHostAddress(b.address).toIPv4Address(), b.port);
    });
}

QString ScanOutput::Table(const QList<ScanFinding>& findings) {
    const std::array<QString, 6> heading{QStringLiteral("CAMERA"),   QStringLiteral("STATE"),
                                         QStringLiteral("SERIAL"),   QStringLiteral("MODEL"),
                                         QStringLiteral("HARDWARE"), QStringLiteral("SOFTWARE")};
    QList<std::array<QString, 6>> rows{heading};
    for (const ScanFinding& finding : findings)
        rows.append(Cells(finding));
    std::array<qsizetype, 6> widths{};
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    QString text;
    for (const auto& row : rows) {
        QString line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column + 1 < row.size())
                line += row[column].leftJustified(widths[column] + 2);
            else
                line += row[column];
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

QString ScanOutput::PlainLine(const ScanFinding& finding) {
    const std::array<QString, 6> cells = Cells(finding);
    QStringList fields(cells.begin(), cells.end());
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

} // namespace kestrel::cli
