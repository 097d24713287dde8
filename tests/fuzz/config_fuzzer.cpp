// The configuration reader and writer on any file: what a load accepts saves and loads back as
// the same options; whatever a load left, the saved file loads without a message.
#include <QFile>

#include "core/option_set.h"
#include "settings/config_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

class Host final : public ConfigHost {
  public:
    explicit Host(QString folder) : folder_(std::move(folder)) {
        // What start-up sets before it loads: a first start's lists.
        options_.setValue(Option::cobPT, 3);
        options_.setValue(Option::cobSP, 13);
    }
    OptionSet& options() override { return options_; }
    MessageService& messages() override { return messages_; }
    QString programFolder() const override { return folder_; }
    WindowPlacement placement() const override { return placement_; }
    void place(const WindowPlacement& p) override { placement_ = p; }

    OptionStore options_;
    AnsweringMessages messages_;
    WindowPlacement placement_{1000, 6480, 2000, 7680};

  private:
    QString folder_;
};

// Every option, with its name, for comparing and for reports.
QStringList Snapshot(const OptionSet& o, const ConfigState& st, const WindowPlacement& p) {
    QStringList values;
    for (int i = 0; i < kOptionCount; ++i) {
        const auto option = static_cast<Option>(i);
        if (option == Option::txFME) continue;  // not kept in the file
        const OptionInfo& info = InfoOf(option);
        values << QString::fromLatin1(info.name) + u'=' +
                      (info.kind == OptionKind::Text ? u'[' + o.text(option) + u']'
                                                     : QString::number(o.value(option)));
    }
    values << QStringLiteral("zLOG=[") + st.zLOG + u']';
    values << QStringLiteral("placement=%1,%2,%3,%4")
                  .arg(p.top)
                  .arg(p.height)
                  .arg(p.left)
                  .arg(p.width);
    return values;
}

void Write(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        Fail("scratch file", path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scratch& scratch = Scratch::get();
    scratch.reset();
    const QString folder = scratch.out().chopped(1);
    const QString first = scratch.out() + QStringLiteral("Fenmor.CFG");
    const QString second = scratch.out() + QStringLiteral("saved.CFG");
    Write(first, data, size);

    Host loaded(folder);
    ConfigState state;
    const bool accepted = LoadConfig(loaded, state, first) == LoadResult::Loaded;
    Check(SaveConfig(loaded, state, second), "the file is saved");
    const QStringList kept = Snapshot(loaded.options_, state, loaded.placement_);

    Host again(folder);
    ConfigState stateAgain;
    const LoadResult result = LoadConfig(again, stateAgain, second);
    Check(result == LoadResult::Loaded && again.messages_.shown.isEmpty(),
          "a saved file loads without a message", again.messages_.shown.join(u'\n'));
    // After a failed load the options keep design values the file writes differently (no
    // button of a group selected is written as the first one).
    if (!accepted) return 0;
    const QStringList back = Snapshot(again.options_, stateAgain, again.placement_);
    for (qsizetype i = 0; i < kept.size(); ++i)
        Check(kept[i] == back[i], "a saved file loads back as the same options",
              QStringLiteral("saved %1\nloaded %2\nfirst load's messages: %3")
                  .arg(kept[i], back[i], loaded.messages_.shown.join(u" | ")));
    return 0;
}
