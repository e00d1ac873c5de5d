#include "titles/annex_list_query.h"

#include "data/annexes.h"
#include "data/data_store.h"
#include "engine/query.h"

namespace titles {

namespace {

// A value typed or chosen by the user, made safe to stand between the double
// quotes of a text literal.
QString literalText(QString value) { return value.remove(QLatin1Char('"')); }

}  // namespace

QStringList annexListStatement(const data::DataStore& store, int page) {
    const QString annex = data::AnnexNames()[page];
    return {QStringLiteral("SELECT IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,"),
            QStringLiteral("MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG,MAX(IDTP) AS MM, "
                           "MAX(TPNR) AS TIT, SUM(T.SUPTOT) AS SUPTOT"),
            QStringLiteral("FROM \"") + store.tablePath(QStringLiteral("Anexe1.dbf")) + QLatin1Char('"'),
            QStringLiteral("LEFT JOIN \"") + store.tablePath(QStringLiteral("TP.dbf")) + QStringLiteral("\" T"),
            QStringLiteral("     ON IDANEXA=T.IDANEXA"),
            QStringLiteral("WHERE ANEXA=\"") + annex + QLatin1Char('"'),
            QStringLiteral(" "),
            QStringLiteral("GROUP BY IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,"),
            QStringLiteral("MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG"),
            QStringLiteral(" ")};
}

QString annexListCondition(int page, const AnnexListFilters& filters) {
    QString condition;
    if (!filters.village.isEmpty())
        condition += QStringLiteral("AND (SATUL=\"") + literalText(filters.village) + QStringLiteral("\") ");
    if (!filters.name.isEmpty()) {
        const QString name = literalText(filters.name);
        condition += QStringLiteral("AND ((NUME LIKE \"%") + name + QStringLiteral("%\") OR (MOSTEN LIKE \"%") + name +
                     QStringLiteral("%\"))");
    }
    if (page == 9 && !filters.annexType.isEmpty())
        condition += QStringLiteral(" AND (TIPANX=\"") + literalText(filters.annexType) + QStringLiteral("\")");
    return condition;
}

const char* annexListOrder(const AnnexListFilters& filters) { return filters.alphabetical ? "ORDER BY NUME" : " "; }

void openAnnexList(engine::Query& anex, const data::DataStore& store, int page, const AnnexListFilters& filters) {
    data::setStatement(anex, annexListStatement(store, page));
    anex.setLine(6, annexListCondition(page, filters).toStdString());
    anex.setLine(9, annexListOrder(filters));
    anex.setFiltered(false);
    anex.setFilter(filters.withoutTitle ? kWithoutTitleFilter : std::string());
    anex.setFiltered(filters.withoutTitle);
    anex.open();
}

}  // namespace titles
