#pragma once

#include <QString>

#include "engine/decimal.h"
#include "engine/table_dataset.h"

namespace data {
class DataStore;
}

namespace reports {

// The selection a land-register value is recorded for, as table RF keys it:
// the texts the nine filter controls show (" * toate *" for a list that does
// not restrict, an edit's text unchanged) and the parcel's value (0 when the
// parcel box is empty). Both reports form the same key for the same location.
struct RegisterKey {
    QString village;     // INSAT
    QString holder;      // TITULAR
    QString plotName;    // OBS
    QString plotNumber;  // NRTARLA
    engine::Decimal parcel;  // PARCELA
    QString lot;         // LOT
    QString annex;       // ANEXA
    QString type;        // TIP
    QString category;    // CATEG

    // The filter expression of RF that passes the key's records, in field
    // order INSAT, TITULAR, OBS, NRTARLA, PARCELA, LOT, ANEXA, TIP, CATEG.
    QString filterExpression() const;
    // Whether the current record of RF holds exactly this key. The filter
    // reads a text ending in "*" as a prefix, so it may pass more.
    bool heldBy(const engine::Dataset& rf) const;
};

// The land-register values of table RF, read and written through a table
// dataset that is open on it. Both leave the key's filter in force.
class RegisterBook {
public:
    explicit RegisterBook(engine::TableDataset& rf) : rf_(rf) {}

    // The value of the first record in table order that holds the key, 0
    // when none does.
    engine::Decimal valueOf(const RegisterKey& key);
    // Whether RF's SUPRAF can hold the value (9 digits with 4 decimals).
    bool canHold(engine::Decimal value) const;
    // Replaces the value of the first record that holds the key, or appends
    // a record with the next identifier of counter IDRF. A write that fails
    // leaves nothing half written.
    void record(const RegisterKey& key, engine::Decimal value, const data::DataStore& store);

private:
    // Moves to the first record that holds the key; false when none does.
    bool locate(const RegisterKey& key);

    engine::TableDataset& rf_;
};

}  // namespace reports
