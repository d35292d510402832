// A benchmark's repeated figures, told as their median and their spread.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace horalux {

struct Figures {
  std::vector<double> values;
  double Median() const {
    std::vector<double> s = values;
    std::sort(s.begin(), s.end());
    return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
  }
  // The median, then the least and the most, in FORMAT's three places.
  std::string Text(const char* format = "%+7.1f (%+.1f..%+.1f)") const {
    char t[64];
    std::snprintf(t, sizeof t, format, Median(), *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()));
    return t;
  }
};

}  // namespace horalux
