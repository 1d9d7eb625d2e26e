// The pass-through layer: each entry calls the same entry of the layer below.
#include "platform.h"

template <auto entry, typename Result, typename... Args>
static constexpr auto passDown(Result (*Platform::*)(const Platform&, Args...)) {
    return +[](const Platform& self, Args... args) -> Result {
        return (self.below->*entry)(*self.below, args...);
    };
}

// The entry that hands a call to the same entry of the layer below.
template <auto entry> static constexpr auto down = passDown<entry>(entry);

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
            down<&Platform::openReport>,
            down<&Platform::writeReport>,
            down<&Platform::closeReport>,
            down<&Platform::expectSearches>};
}
