// The object's identity and life: creation, interfaces, references, the
// connection point container and the property page list.

#include "com/kestrova_object.h"

#include <new>

#include "com/module.h"
#include "com/module_guids.h"

namespace kestrova::com {

KestrovaObject::KestrovaObject() : events_(std::make_unique<ConnectionPoint>(this)) {
    AddModuleReference();
}

KestrovaObject::~KestrovaObject() {
    InPlaceDeactivate();
    SetClientSite(nullptr);
    if (adviseHolder_ != nullptr) {
        adviseHolder_->Release();
    }
    if (viewSink_ != nullptr) {
        viewSink_->Release();
    }
    ReleaseModuleReference();
}

HRESULT KestrovaObject::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) KestrovaObject();
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
}

HRESULT KestrovaObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    void* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID__DKestrova)) {
        found = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
        found = static_cast<IProvideClassInfo2*>(this);
    } else if (IsEqualIID(iid, IID_IOleObject)) {
        found = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleControl)) {
        found = static_cast<IOleControl*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
        found = static_cast<IOleInPlaceObject*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
        found = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) {
        found = static_cast<IViewObject2*>(this);
    } else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
        found = static_cast<IPersistStreamInit*>(this);
    } else if (IsEqualIID(iid, IID_IPersistPropertyBag)) {
        found = static_cast<IPersistPropertyBag*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
        found = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) {
        found = static_cast<ISpecifyPropertyPages*>(this);
    }
    *object = found;
    if (found == nullptr) {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG KestrovaObject::AddRef() {
    return ++references_;
}

ULONG KestrovaObject::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT KestrovaObject::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = CLSID_Kestrova;
    return S_OK;
}

HRESULT KestrovaObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return EnumerateOnePoint(events_.get(), points);
}

HRESULT KestrovaObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (!IsEqualIID(iid, DIID__DKestrovaEvents)) {
        return CONNECT_E_NOCONNECTION;
    }
    *point = events_.get();
    (*point)->AddRef();
    return S_OK;
}

HRESULT KestrovaObject::GetPages(CAUUID* pages) {
    if (pages == nullptr) {
        return E_POINTER;
    }
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pages->pElems == nullptr) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_KestrovaPropPage;
    return S_OK;
}

}  // namespace kestrova::com
