// Drawing: the control paints its rectangle white with an inscribed ellipse
// in the device context's current pen and brush.

#include "com/kestrova_object.h"

namespace kestrova::com {

void PaintControlArea(HDC dc, const RECT& area) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(dc, area.left, area.top, area.right, area.bottom);
}

HRESULT KestrovaObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                             LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                             ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (dc == nullptr) {
        return E_INVALIDARG;
    }
    RECT area{};
    if (bounds != nullptr) {
        area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (inPlaceSite_ != nullptr) {
        // A windowless site asks for the control's own place.
        area = position_;
    } else {
        return E_INVALIDARG;
    }
    PaintControlArea(dc, area);
    return S_OK;
}

HRESULT KestrovaObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    if (sink != nullptr) {
        sink->AddRef();
    }
    if (viewSink_ != nullptr) {
        viewSink_->Release();
    }
    viewSink_ = sink;
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

HRESULT KestrovaObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects != nullptr) {
        *aspects = viewAspects_;
    }
    if (flags != nullptr) {
        *flags = viewFlags_;
    }
    if (sink != nullptr) {
        *sink = viewSink_;
        if (viewSink_ != nullptr) {
            viewSink_->AddRef();
        }
    }
    return S_OK;
}

HRESULT KestrovaObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace kestrova::com
