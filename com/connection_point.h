#pragma once

// The control's one connection point, for _DKestrovaEvents, and the
// enumeration over it. The control fires no event; sinks are only kept.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <map>

namespace kestrova::com {

class ConnectionPoint final : public IConnectionPoint {
  public:
    // container: the object that owns this point and outlives it.
    explicit ConnectionPoint(IConnectionPointContainer* container) : container_(container) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // Its life is the container's: references go to the container.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return container_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_->Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  private:
    IConnectionPointContainer* container_;
    std::map<DWORD, IUnknown*> sinks_;
    DWORD nextCookie_ = 1;
};

// An enumeration over the one point; holds a reference to it.
HRESULT EnumerateOnePoint(IConnectionPoint* point, IEnumConnectionPoints** points);

}  // namespace kestrova::com
