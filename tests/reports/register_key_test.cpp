// The key of a land-register record and its filter expression.
#include "reports/register_key.h"

#include <gtest/gtest.h>

namespace {

reports::RegisterKey keyOf(const QString& village, const QString& plot, int parcel) {
    reports::RegisterKey key;
    key.village = village;
    key.plotName = plot;
    key.parcel = engine::Decimal::fromInt(parcel);
    key.annex = key.type = key.category = QStringLiteral(" * toate *");
    return key;
}

TEST(RegisterKey, TheFilterNamesTheNineFieldsInOrderWithTheirTextsAsShown) {
    reports::RegisterKey key = keyOf(" * toate *", "LA POD", 12);
    key.holder = "AB ";
    key.plotNumber = "10";
    key.lot = "1A";
    EXPECT_EQ(key.filterExpression(),
              "(INSAT=' * toate *') AND (TITULAR='AB ') AND (OBS='LA POD') AND (NRTARLA='10') AND (PARCELA=12) AND "
              "(LOT='1A') AND (ANEXA=' * toate *') AND (TIP=' * toate *') AND (CATEG=' * toate *')");
}

TEST(RegisterKey, AListValueWithAQuoteStillMakesAFilterTheEngineReads) {
    const struct {
        const char* plot;
        const char* literal;
    } cases[] = {
        {"LA POD", "'LA POD'"},
        {"LA D'ALE", "\"LA D'ALE\""},
        {"LA \"POD\"", "'LA \"POD\"'"},
        // Both quotes: written as the beginning before the double quote.
        {"D'ALE \"MICI\"", "\"D'ALE *\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plot);
        EXPECT_TRUE(keyOf("X", c.plot, 0).filterExpression().contains(QStringLiteral("(OBS=%1)").arg(c.literal)));
    }
}

}  // namespace
