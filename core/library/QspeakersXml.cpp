// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/QspeakersXml.h"

#include "core/library/DriverUnits.h"
#include "core/text/NumberText.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

namespace orvane::QspeakersXml {

namespace {

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct State {
    XML_Parser parser = nullptr;
    ParsedDrivers* out = nullptr;
    int depth = 0;
    bool rootChecked = false;
    std::optional<std::string> failure; // set by a handler that stopped the parse
};

long Line(XML_Parser parser) {
    return static_cast<long>(std::min<XML_Size>(XML_GetCurrentLineNumber(parser), LONG_MAX));
}

void Stop(State& state, std::string reason) {
    if (!state.failure)
        state.failure = "line " + std::to_string(Line(state.parser)) + ": " + std::move(reason);
    XML_StopParser(state.parser, XML_FALSE);
}

// The format nests two levels (<speakers><speaker/>); deeper nesting is
// refused at once, before expat's stack of open elements grows with it.
constexpr int kMaxDepth = 16;

// The attributes the element itself gives: expat appends those a DTD
// supplies by default, which are not the file's values.
struct Attributes {
    const XML_Char** list;
    int count; // names and values
};

const char* Attribute(const Attributes& attributes, const char* name) {
    for (int i = 0; i + 1 < attributes.count; i += 2) {
        if (std::strcmp(attributes.list[i], name) == 0)
            return attributes.list[i + 1];
    }
    return nullptr;
}

// An attribute as a number: nothing when missing or 0 (not given), or the
// reason it is refused.
std::optional<std::string> Number(const Attributes& attributes, const char* name,
                                  std::optional<double>& out) {
    out.reset();
    const char* text = Attribute(attributes, name);
    if (text == nullptr)
        return std::nullopt;
    const std::string_view view(text);
    if (view.find_first_not_of(" \t") == std::string_view::npos)
        return std::nullopt;
    double value = 0;
    if (!ReadNumberText(view, value))
        return std::string(name) + " is not a number: '" + std::string(view.substr(0, 40)) + "'";
    if (value != 0)
        out = value;
    return std::nullopt;
}

// One <speaker> element into an entry, or the reason it is refused.
std::optional<std::string> ReadSpeaker(const Attributes& attributes, DriverEntry& entry) {
    const char* vendor = Attribute(attributes, "vendor");
    const char* model = Attribute(attributes, "model");
    entry.maker = vendor != nullptr ? vendor : "";
    entry.model = model != nullptr ? model : "";

    std::optional<double> fs, qts, vas, dia, sd, re, le, xmax, qes, spl, pe;
    const std::pair<const char*, std::optional<double>*> numbers[] = {
        {"fs", &fs}, {"qts", &qts},   {"vas", &vas}, {"dia", &dia}, {"sd", &sd}, {"re", &re},
        {"le", &le}, {"xmax", &xmax}, {"qes", &qes}, {"spl", &spl}, {"pe", &pe}};
    for (const auto& [name, value] : numbers) {
        if (std::optional<std::string> error = Number(attributes, name, *value))
            return error;
    }
    for (const auto& [name, value] :
         {std::pair{"fs", fs}, std::pair{"qts", qts}, std::pair{"vas", vas}}) {
        if (!value)
            return std::string(name) + " is not given";
    }
    entry.fs = *fs;
    entry.qts = *qts;
    entry.vas = DriverUnits::LitresToCubicFeet(*vas);
    if (sd && *sd > 0)
        entry.coneDiameter = DriverUnits::ConeDiameterFromSd(*sd);
    else if (dia)
        entry.coneDiameter = DriverUnits::MetresToInches(*dia);
    if (xmax)
        entry.xmax = DriverUnits::MillimetresToInches(*xmax);
    entry.efficiency = spl;
    entry.re = re;
    entry.qes = qes;
    entry.le = le;
    entry.pe = pe;
    return std::nullopt;
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    State& state = *static_cast<State*>(data);
    if (++state.depth > kMaxDepth) {
        Stop(state, "the elements are nested more than " + std::to_string(kMaxDepth) + " deep");
        return;
    }
    if (!state.rootChecked) {
        state.rootChecked = true;
        if (std::strcmp(name, "speakers") != 0) {
            Stop(state, std::string("it is not a qspeakers driver database (its root is <") +
                            std::string(name).substr(0, 40) + ">)");
        }
        return;
    }
    if (state.depth != 2 || std::strcmp(name, "speaker") != 0)
        return; // anything else is not ours to read
    DriverEntry entry;
    const Attributes given{attributes, XML_GetSpecifiedAttributeCount(state.parser)};
    if (std::optional<std::string> reason = ReadSpeaker(given, entry))
        state.out->refused.push_back({Line(state.parser), std::move(*reason)});
    else
        state.out->Take(std::move(entry), Line(state.parser));
}

void XMLCALL OnEnd(void* data, const XML_Char* /*name*/) {
    --static_cast<State*>(data)->depth;
}

// Entity declarations are how expansion attacks start; the format needs none.
void XMLCALL OnEntityDeclaration(void* data, const XML_Char* /*name*/, int /*parameter*/,
                                 const XML_Char* /*value*/, int /*length*/,
                                 const XML_Char* /*base*/, const XML_Char* /*systemId*/,
                                 const XML_Char* /*publicId*/, const XML_Char* /*notation*/) {
    Stop(*static_cast<State*>(data), "entity declarations are not allowed");
}

} // namespace

std::optional<std::string> Parse(std::string_view text, ParsedDrivers& out) {
    const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser)
        return "there is not enough memory";
    State state;
    state.parser = parser.get();
    state.out = &out;
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
    // Never read the external DTD the file names.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);

    // In pieces, as expat takes an int length.
    constexpr std::size_t kPiece = 1 << 20;
    std::size_t pos = 0;
    do {
        const std::size_t size = std::min(kPiece, text.size() - pos);
        const bool last = pos + size == text.size();
        if (XML_Parse(parser.get(), text.data() + pos, static_cast<int>(size), last ? 1 : 0) !=
            XML_STATUS_OK) {
            if (state.failure)
                return state.failure;
            return "line " + std::to_string(Line(parser.get())) + ": " +
                   XML_ErrorString(XML_GetErrorCode(parser.get()));
        }
        pos += size;
    } while (pos < text.size());
    return std::nullopt;
}

} // namespace orvane::QspeakersXml
