// The pass-through layer: each entry calls the same entry of the layer below.
#include "platform.h"

namespace {

template <typename Entry> struct Down;

template <typename Result, typename... Args> struct Down<Result (*)(const Platform&, Args...)> {
    template <Result (*Platform::*entry)(const Platform&, Args...)>
    static Result call(const Platform& self, Args... args) {
        return (self.below->*entry)(*self.below, args...);
    }
};

template <typename Member> struct EntryOf;
template <typename Entry> struct EntryOf<Entry Platform::*> { typedef Entry type; };

// The entry that hands a call to the same entry of the layer below.
template <auto entry>
constexpr auto down = &Down<typename EntryOf<decltype(entry)>::type>::template call<entry>;

} // namespace

Platform layerOver(const Platform& below, void* context) {
    return {&below,
            context,
            down<&Platform::beginListing>,
            down<&Platform::endListing>,
            down<&Platform::showName>,
            down<&Platform::realPath>,
            down<&Platform::findFirst>,
            down<&Platform::findNext>,
            down<&Platform::findClose>,
            down<&Platform::textColumns>,
            down<&Platform::textLength>,
            down<&Platform::showMessage>,
            down<&Platform::endDialog>,
            down<&Platform::noteIncomplete>,
            down<&Platform::reallocate>,
            down<&Platform::openReport>,
            down<&Platform::writeReport>,
            down<&Platform::closeReport>,
            down<&Platform::expectSearches>};
}
