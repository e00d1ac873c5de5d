#pragma once

#include <QString>
#include <QStringList>

namespace data {
class DataStore;
}
namespace engine {
class Query;
}

namespace titles {

// The annex view's list of one annex's lines with a summary of their
// titles: the statement, whose lines 6 (the restriction) and 9 (the order)
// the filters overwrite.
QStringList annexListStatement(const data::DataStore& store, int page);

// The annex view's filters; an empty text restricts nothing.
struct AnnexListFilters {
    QString village;
    QString name;       // in the holder or the heirs
    QString annexType;  // "Legea 1/2000" only
    bool alphabetical = false;
    bool withoutTitle = false;
};
QString annexListCondition(int page, const AnnexListFilters& filters);
const char* annexListOrder(const AnnexListFilters& filters);
// The client-side filter of the lines without a title.
inline constexpr const char* kWithoutTitleFilter = "(MM IS NULL)";

// Opens the list of the page with the filters, as the annex view shows it.
void openAnnexList(engine::Query& anex, const data::DataStore& store, int page, const AnnexListFilters& filters);

}  // namespace titles
