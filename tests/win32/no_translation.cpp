// A library that only carries version information without a translation
// table, for the version-information seam's fallback.
extern "C" __declspec(dllexport) int NoTranslationMarker() {
    return 1;
}
