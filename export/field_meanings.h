// What a column of an address book, an action list or a schedule holds, read from the data set
// itself: the type name of the MI series' "C" line, the field tag of the PI series' "I" header,
// or the column title of the "T" line.
#pragma once

#include <QString>

namespace fenmor {

enum class Meaning {
    Unknown,  // written into the note or description as "title: value"
    // Address books.
    Name,
    Reading,
    Nickname,
    Company,
    Department,
    JobTitle,
    PostalCode,
    Address,
    Address2,
    HomePostalCode,
    HomeAddress,
    Phone,
    HomePhone,
    WorkPhone,
    Mobile,
    Fax,
    HomeFax,
    Mail,
    Url,
    Birthday,
    // Action lists.
    Subject,
    Due,
    Completed,  // the completion date
    DoneMark,   // done or not, as a mark
    Priority,
    // Schedules (start, end, text and mark come from their fixed slots).
    Start,
    End,
    Text,
    Mark,
    AlarmMinutes,
    AlarmOn,
    Repeat,
    RepeatEnd,
    // All lists.
    Memo,
    Category,
    // The PDA's bookkeeping: never in a note meant for people.
    RecordNumber,
    Attribute,
    Secret,
    UpdateTime,
    Reserved,
    CategoryCode,  // the last: a table per meaning is sized by it
};

enum class ListKind { AddressBook, ActionList, Schedule };

// Why a column has its meaning: what named it, its values, or the user's choice.
enum class Why { None, Type, Tag, Title, Keyword, Slot, Values, User };

// The meaning of a column: by its "C" type first, then by its tag, then by its title. Titles
// are compared after width folding (half-width kana and full-width letters alike), without
// spaces or case, first whole, then by keywords ("自宅〒", "勤務先電話").
[[nodiscard]] Meaning MeaningOf(ListKind list, const QString& type, const QString& tag,
                                const QString& title, Why* why = nullptr);

// The MI series keeps its bookkeeping in the slots its separated values leave out: slot 2 the
// record number, slot 4 (of type "TIME") the time of the last change, 3, 5 and 7 reserved;
// slot 6, which they do show, the category.
// The meaning of such a slot when nothing else names it.
[[nodiscard]] Meaning MiSlotMeaning(int slot, bool timeType);

// Values the PDA keeps for itself; they go to standard or X- properties, never to a note.
[[nodiscard]] bool IsBookkeeping(Meaning m);

// The names a user reads and writes in a column map: "name", "home-phone", "alarm-on"; the
// unknown meaning is "note" (into NOTE or DESCRIPTION as "title: value").
[[nodiscard]] QString MeaningName(Meaning m);
[[nodiscard]] bool MeaningByName(const QString& name, Meaning* m);
[[nodiscard]] QString WhyName(Why why);

}  // namespace fenmor
