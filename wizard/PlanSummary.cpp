#include "wizard/PlanSummary.h"

namespace wizard {

namespace {

// A refusal's text says "Nothing was changed." as Finish tells it; before Finish that goes without saying.
QString beforeFinish(const std::string& refusal) {
    QString text = QString::fromStdString(refusal);
    const QString told = QStringLiteral(" Nothing was changed.");
    if (text.endsWith(told)) text.chop(told.size());
    return text;
}

} // namespace

QString PlanSummary(const split::Plan& plan) {
    QString line = QStringLiteral("%1 records. The split makes ").arg(plan.records());
    for (std::size_t j = 0; j < plan.columns.size(); ++j) {
        const split::PlannedColumn& c = plan.columns[j];
        QString about = QString::number(c.filled);
        if (j == 0) about += QStringLiteral(" records");
        if (c.fate != split::PlannedColumn::Fate::New) {
            about += QStringLiteral("; replaces the field there");
            if (c.valuesNow > 0) about += QStringLiteral(", which holds %1 values now").arg(c.valuesNow);
        }
        line += (j ? QStringLiteral(", ") : QString()) + QString::fromStdString(c.name) +
                QStringLiteral(" (") + about + QStringLiteral(")");
    }
    line += QLatin1Char('.');
    if (!plan.notWritable().empty())
        line +=
            QStringLiteral("\nFinish cannot change this file: ") + QString::fromStdString(plan.notWritable());
    for (const split::Refusal& r : plan.refusals)
        line += QStringLiteral("\nFinish would refuse: ") + beforeFinish(r.text);
    return line;
}

} // namespace wizard
