#pragma once
#include <string>

namespace horalux {

// What the cycle needs of the SNTP time source.
class SntpSource {
 public:
  virtual ~SntpSource() = default;
  virtual std::string Host() const = 0;
  virtual void SetHost(const std::string& host) = 0;
  virtual bool Active() const = 0;
  virtual void SetActive(bool active) = 0;
  virtual void SetBroadcastEnabled(bool enabled) = 0;
  // One exchange: the server's time as local date-time, 0.0 without a usable
  // reply; raises on socket failures.
  virtual double QueryTime() = 0;
};

// Presents a component with the time source's methods (TIdSNTP) to the cycle.
template <typename Component>
class SntpSourceOf : public SntpSource {
 public:
  explicit SntpSourceOf(Component& c) : c_(c) {}
  std::string Host() const override { return c_.Host(); }
  void SetHost(const std::string& host) override { c_.SetHost(host); }
  bool Active() const override { return c_.Active(); }
  void SetActive(bool active) override { c_.SetActive(active); }
  void SetBroadcastEnabled(bool enabled) override { c_.SetBroadcastEnabled(enabled); }
  double QueryTime() override { return c_.QueryTime(); }

 private:
  Component& c_;
};

}  // namespace horalux
