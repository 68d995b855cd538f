// The libusb back end. Each accepted device is opened, its interface 0 is
// claimed, and the open handle is the Device the caller sees.
#include <libusb.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/trace/trace.h"
#include "platform/usb/usb.h"

namespace qv::usb {
namespace {

Status FromLibusb(int rc) {
  switch (rc) {
    case LIBUSB_SUCCESS:
      return kSuccess;
    case LIBUSB_ERROR_PIPE:
      return kStall;
    case LIBUSB_ERROR_TIMEOUT:
      return kTimeout;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
      return kNoDevice;
    case LIBUSB_ERROR_INVALID_PARAM:
      return kInvalid;
    default:
      return kFailed;
  }
}

class LibusbToolkit final : public Toolkit {
 public:
  ~LibusbToolkit() override { Uninit(); }

  Status Init(std::span<const MatchEntry> match, Callbacks callbacks) override {
    Uninit();
    int rc = libusb_init(&ctx_);
    if (rc != LIBUSB_SUCCESS) {
      Trace("usb: libusb_init: %s", libusb_error_name(rc));
      ctx_ = nullptr;
      return FromLibusb(rc);
    }
    match_.assign(match.begin(), match.end());
    callbacks_ = std::move(callbacks);
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
      for (const MatchEntry& m : match_) {
        libusb_hotplug_callback_handle h = 0;
        rc = libusb_hotplug_register_callback(
            ctx_,
            static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
            LIBUSB_HOTPLUG_ENUMERATE, m.vendorId ? m.vendorId : LIBUSB_HOTPLUG_MATCH_ANY,
            m.productId ? m.productId : LIBUSB_HOTPLUG_MATCH_ANY,
            m.deviceClass ? m.deviceClass : LIBUSB_HOTPLUG_MATCH_ANY, &LibusbToolkit::OnHotplug, this, &h);
        if (rc == LIBUSB_SUCCESS) hotplug_.push_back(h);
      }
      running_ = true;
      events_ = std::thread([this] {
        while (running_) {
          timeval tv{0, 100000};
          libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
        }
      });
    } else {
      Scan();
    }
    return kSuccess;
  }

  void Uninit() override {
    if (!ctx_) return;
    running_ = false;
    for (auto h : hotplug_) libusb_hotplug_deregister_callback(ctx_, h);
    hotplug_.clear();
    if (events_.joinable()) events_.join();
    std::vector<Open> open;
    {
      std::lock_guard<std::mutex> lock(m_);
      open.swap(open_);
    }
    for (const Open& o : open) {
      libusb_release_interface(o.handle, 0);
      libusb_close(o.handle);
    }
    libusb_exit(ctx_);
    ctx_ = nullptr;
  }

  Status SetInterface(Device device, unsigned iface, unsigned alt) override {
    auto* h = static_cast<libusb_device_handle*>(device);
    if (!h) return kInvalid;
    int rc = libusb_claim_interface(h, static_cast<int>(iface));
    if (rc == LIBUSB_SUCCESS) rc = libusb_set_interface_alt_setting(h, static_cast<int>(iface), static_cast<int>(alt));
    return FromLibusb(rc);
  }

  Status TransferDefaultPipe(Device device, bool read, uint8_t* buffer, uint32_t length, uint32_t* transferred,
                             const SetupPacket& setup, uint32_t timeoutMs) override {
    if (transferred) *transferred = 0;
    auto* h = static_cast<libusb_device_handle*>(device);
    if (!h || length > 0xFFFF || (length && !buffer) || bool(setup.requestType & 0x80) != read) return kInvalid;
    const int rc = libusb_control_transfer(h, setup.requestType, setup.request, setup.value, setup.index, buffer,
                                           static_cast<uint16_t>(length), timeoutMs);
    if (rc < 0) return FromLibusb(rc);
    if (transferred) *transferred = static_cast<uint32_t>(rc);
    return kSuccess;
  }

  Status TransferBulk(Device device, uint8_t pipe, bool read, uint8_t* buffer, uint32_t length, uint32_t* transferred,
                      uint32_t timeoutMs) override {
    if (transferred) *transferred = 0;
    auto* h = static_cast<libusb_device_handle*>(device);
    if (!h || length > 0x7FFFFFFF || bool(pipe & 0x80) != read) return kInvalid;
    int done = 0;
    const int rc = libusb_bulk_transfer(h, pipe, buffer, static_cast<int>(length), &done, timeoutMs);
    if (transferred) *transferred = static_cast<uint32_t>(done);
    return FromLibusb(rc);
  }

  Status ResetPipe(Device device, uint8_t pipe) override {
    auto* h = static_cast<libusb_device_handle*>(device);
    return h ? FromLibusb(libusb_clear_halt(h, pipe)) : kInvalid;
  }

  Status ResetDevice(Device device) override {
    auto* h = static_cast<libusb_device_handle*>(device);
    return h ? FromLibusb(libusb_reset_device(h)) : kInvalid;
  }

 private:
  struct Open {
    libusb_device* dev;
    libusb_device_handle* handle;
  };

  bool Matches(const libusb_device_descriptor& d) const {
    for (const MatchEntry& m : match_) {
      if ((!m.vendorId || m.vendorId == d.idVendor) && (!m.productId || m.productId == d.idProduct) &&
          (!m.deviceClass || m.deviceClass == d.bDeviceClass))
        return true;
    }
    return false;
  }

  void Arrived(libusb_device* dev) {
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(dev, &d) != LIBUSB_SUCCESS || !Matches(d)) return;
    libusb_device_handle* h = nullptr;
    const int rc = libusb_open(dev, &h);
    if (rc != LIBUSB_SUCCESS) {
      Trace("usb: cannot open %04x:%04x: %s", d.idVendor, d.idProduct, libusb_error_name(rc));
      return;
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      open_.push_back({dev, h});
    }
    if (callbacks_.attach) callbacks_.attach(h, DeviceInfo{d.idVendor, d.idProduct});
  }

  void Left(libusb_device* dev) {
    libusb_device_handle* h = nullptr;
    {
      std::lock_guard<std::mutex> lock(m_);
      for (auto it = open_.begin(); it != open_.end(); ++it) {
        if (it->dev == dev) {
          h = it->handle;
          open_.erase(it);
          break;
        }
      }
    }
    if (!h) return;
    if (callbacks_.detach) callbacks_.detach(h);
    libusb_close(h);
  }

  void Scan() {
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(ctx_, &list);
    for (ssize_t i = 0; i < n; ++i) Arrived(list[i]);
    if (list) libusb_free_device_list(list, 1);
  }

  static int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device* dev, libusb_hotplug_event event, void* self) {
    auto* t = static_cast<LibusbToolkit*>(self);
    if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED)
      t->Arrived(dev);
    else
      t->Left(dev);
    return 0;
  }

  libusb_context* ctx_ = nullptr;
  std::vector<MatchEntry> match_;
  Callbacks callbacks_;
  std::vector<libusb_hotplug_callback_handle> hotplug_;
  std::atomic<bool> running_{false};
  std::thread events_;
  std::mutex m_;
  std::vector<Open> open_;
};

}  // namespace

std::unique_ptr<Toolkit> CreateLibusbToolkit() {
  return std::make_unique<LibusbToolkit>();
}

}  // namespace qv::usb
