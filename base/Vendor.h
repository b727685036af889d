// The vendor's name: what the effect base answers hosts, and the maintainer the other format's
// metadata names.
#pragma once

constexpr char kVendorName[] = "Velmorn Quaddle";
