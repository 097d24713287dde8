// The options page's controls enable, disable and recolour each other as options change, and
// switching the separated-values style offers the matching file extension.
#pragma once

#include "app/controls.h"

namespace fenmor {

struct Session;

class OptionInterlocks {
  public:
    OptionInterlocks(const Controls& c, Session& s) : c_(c), s_(s) {}

    void ckCSVD_Click();
    void opCSV_Click(int index);
    void opF_Click(int index);
    void opSEPA_Click(int index);

  private:
    const Controls& c_;
    Session& s_;
    // 0 until the style handler first runs: that first run, the one loading makes, asks nothing.
    int nCH = 0;
};

}  // namespace fenmor
