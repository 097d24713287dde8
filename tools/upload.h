// fenmor-convert's --upload: the written .ics and .vcf files sent to a CalDAV/CardDAV server.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "dav/dav_account.h"

namespace fenmor {

struct UploadOptions {
    QCommandLineOption upload{"upload",
                              "Send the .ics and .vcf items to this CalDAV/CardDAV server or "
                              "principal URL (with --ics and/or --vcf).",
                              "URL"};
    QCommandLineOption user{"user", "User name on the server.", "NAME"};
    QCommandLineOption passwordFile{"password-file",
                                    "The password, when the keyring has none: the file's first "
                                    "line (a file no other user can read).",
                                    "FILE"};
    QCommandLineOption calendar{"calendar", "Calendar collection for events (default: found).",
                                "URL"};
    QCommandLineOption tasks{
        "tasks", "Calendar collection for tasks (default: --calendar, else found).", "URL"};
    QCommandLineOption addressbook{"addressbook", "Address-book collection (default: found).",
                                   "URL"};
    QCommandLineOption trust{"trust-fingerprint",
                             "Trust the server's certificate with this SHA-256 fingerprint.",
                             "SHA256"};
    QCommandLineOption parallel{"parallel",
                                "PUTs under way at once, 1 to 16 (default: 1 to a server on this "
                                "computer, 4 to another).",
                                "N"};
    void addTo(QCommandLineParser& parser) const {
        parser.addOptions(
            {upload, user, passwordFile, calendar, tasks, addressbook, trust, parallel});
    }
};

// The account the options name, or a message for bad arguments (exit status 2). The password
// comes later (UploadPassword). exports: --ics or --vcf was given.
[[nodiscard]] QString UploadAccount(const QCommandLineParser& parser, const UploadOptions& o,
                                    bool exports, DavAccount& account);
// The password: from the keyring, else from the --password-file file; a message when neither
// gives one or the file can be read by others.
[[nodiscard]] QString UploadPassword(const QCommandLineParser& parser, const UploadOptions& o,
                                     DavAccount& account);
// Sends the items of the files, prints the one line on stdout and the details on stderr, and
// gives the exit status: 0 all sent, 3 a conflict, 1 a failure.
[[nodiscard]] int Upload(const DavAccount& account, const QStringList& files,
                         const QString& stateFile);

}  // namespace fenmor
