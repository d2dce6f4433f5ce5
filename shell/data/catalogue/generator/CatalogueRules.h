// The rules a catalogue must keep. check() stops the generator at the first broken rule,
// naming the item; it also derives what the rules fix (mirror links, key defaults of mirror
// keys, structure child counts).
#pragma once

#include "CatalogueModel.h"

namespace catalogue {

void check(SCatalogue& catalogue);

// The catalogue's default value of a coding function: a bit field's field value or a
// multi-byte field's bytes.
Bytes functionDefault(const SFunction& function);
// A coding block's default data bytes (without the block version); unused bits are 0.
Bytes blockDefault(const SBlock& block);

}  // namespace catalogue
