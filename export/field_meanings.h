// What a column of an address book or an action list holds, read from the data set itself: the
// field tag of the PI series' "I" header, or the column title of the "T" line.
#pragma once

#include <QString>

namespace fenmor {

enum class Meaning {
    Unknown,  // written into the note or description as "title: value"
    // Address books.
    Name,
    Reading,
    Company,
    Department,
    JobTitle,
    PostalCode,
    Address,
    Address2,
    Phone,
    HomePhone,
    WorkPhone,
    Mobile,
    Fax,
    Mail,
    Url,
    Birthday,
    // Action lists.
    Subject,
    Due,
    Completed,
    Priority,
    // Both.
    Memo,
    Category,
};

enum class ListKind { AddressBook, ActionList };

// The meaning of a column: by its tag first, then by its title. Titles are compared after
// width folding (half-width kana and full-width letters alike), without spaces or case.
[[nodiscard]] Meaning MeaningOf(ListKind list, const QString& tag, const QString& title);

}  // namespace fenmor
