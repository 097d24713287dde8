// fenmor-make-transfer: writes one generated transfer to a file, as the PDA would send it.
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/transfers.h"

namespace {

int Usage() {
    std::fputs(
        "usage: fenmor-make-transfer KIND FILE [COUNT [SEED]]\n"
        "  KIND: pi-address (COUNT records), mi-schedule (COUNT entries),\n"
        "        mi-address (COUNT records), largest (COUNT ignored)\n"
        "  COUNT defaults to 50, SEED to 1.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) return Usage();
    const char* kind = argv[1];
    const QString file = QString::fromLocal8Bit(argv[2]);
    const int count = argc > 3 ? std::atoi(argv[3]) : 50;
    const unsigned seed = argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 1;
    if (count < 0) return Usage();

    QByteArray bytes;
    if (std::strcmp(kind, "pi-address") == 0)
        bytes = fenmor::test::PiAddressBook(count, seed);
    else if (std::strcmp(kind, "mi-schedule") == 0)
        bytes = fenmor::test::MiSchedule(count, seed);
    else if (std::strcmp(kind, "mi-address") == 0)
        bytes = fenmor::test::MiAddressBook(count, seed);
    else if (std::strcmp(kind, "largest") == 0)
        bytes = fenmor::test::LargestTransfer(seed);
    else
        return Usage();

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fenmor-make-transfer: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %lld bytes, %lld lines, %lld receive events of %lld bytes\n", argv[2],
                static_cast<long long>(bytes.size()),
                static_cast<long long>(fenmor::test::LineCount(bytes)),
                static_cast<long long>((bytes.size() + fenmor::test::kReceiveBlock - 1) /
                                       fenmor::test::kReceiveBlock),
                static_cast<long long>(fenmor::test::kReceiveBlock));
    return 0;
}
