// An airport or learned file: header, stands and their options. Broken files are user errors.
#include <pugixml.hpp>

#include "airports/AirportFileXml.h"
#include "common/UserErrorException.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size)) return 0;
    try {
        const pugi::xml_node root = doc.child("root");
        vorl::gf_readAirportHeader(root);
        vorl::gf_readStands(root, 1);
    } catch (const vorl::UserErrorException&) {
    }
    return 0;
}
