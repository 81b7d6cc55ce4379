#include "com/verb_list.h"

#include <iterator>

#include "com/module.h"

namespace kestrova::com {
namespace {

struct Verb {
    LONG number;
    const wchar_t* name;
    DWORD menuFlags;
    DWORD attributes;
};

// The verbs DoVerb answers besides the standard activation verbs, which a
// container does not list.
constexpr Verb kVerbs[] = {
    {OLEIVERB_PROPERTIES, L"&Properties...", MF_STRING, OLEVERBATTRIB_ONCONTAINERMENU},
};
constexpr ULONG kVerbCount = static_cast<ULONG>(std::size(kVerbs));

class VerbEnumeration final : public IEnumOLEVERB {
  public:
    explicit VerbEnumeration(ULONG position = 0) : position_(position) {}
    VerbEnumeration(const VerbEnumeration&) = delete;
    VerbEnumeration& operator=(const VerbEnumeration&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumOLEVERB)) {
            *object = static_cast<IEnumOLEVERB*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, OLEVERB* verbs, ULONG* fetched) override {
        if (verbs == nullptr || (count != 1 && fetched == nullptr)) {
            return E_POINTER;
        }
        ULONG given = 0;
        while (given < count && position_ < kVerbCount) {
            const Verb& verb = kVerbs[position_];
            LPOLESTR name = TaskMemoryCopy(verb.name);
            if (name == nullptr) {
                break;
            }
            verbs[given] = OLEVERB{verb.number, name, verb.menuFlags, verb.attributes};
            ++given;
            ++position_;
        }
        if (fetched != nullptr) {
            *fetched = given;
        }
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const ULONG left = kVerbCount - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumOLEVERB** copy) override {
        if (copy == nullptr) {
            return E_POINTER;
        }
        *copy = new VerbEnumeration(position_);
        return S_OK;
    }

  private:
    ULONG references_ = 1;
    ULONG position_;
};

}  // namespace

HRESULT EnumerateVerbs(IEnumOLEVERB** verbs) {
    if (verbs == nullptr) {
        return E_POINTER;
    }
    *verbs = new VerbEnumeration();
    return S_OK;
}

}  // namespace kestrova::com
