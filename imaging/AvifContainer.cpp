#include "imaging/AvifContainer.h"

#include <algorithm>
#include <functional>
#include <map>

namespace zylora::imaging {

namespace {

// Big-endian fields of a box's payload, in order; a read past its end gives 0 and spoils it.
class Cursor {
public:
    explicit Cursor(std::string_view data) : data_(data) {}
    std::uint64_t Read(unsigned bytes) {
        if (bytes > 8 || data_.size() - at_ < bytes) {
            ok_ = false;
            at_ = data_.size();
            return 0;
        }
        std::uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) value = value << 8 | static_cast<unsigned char>(data_[at_++]);
        return value;
    }
    std::uint32_t U8() { return static_cast<std::uint32_t>(Read(1)); }
    std::uint32_t U16() { return static_cast<std::uint32_t>(Read(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Read(4)); }
    std::string_view Take(std::size_t count) {
        if (data_.size() - at_ < count) {
            ok_ = false;
            count = data_.size() - at_;
        }
        const std::string_view taken = data_.substr(at_, count);
        at_ += count;
        return taken;
    }
    std::string_view Rest() { return Take(data_.size() - at_); }
    bool Ok() const { return ok_; }

private:
    std::string_view data_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

using BoxVisitor = std::function<bool(std::string_view type, std::string_view payload)>;

// A box's size (its header included) and type, and the length of its header.
struct BoxHead {
    std::string_view type;
    std::uint64_t size = 0, header = 8;
};

// The box header at the cursor; a size of 0 runs to the end of what holds the box, `rest`
// bytes from here. Nothing for a header cut short or a size below the header's own.
std::optional<BoxHead> ReadBoxHead(Cursor& in, std::uint64_t rest) {
    BoxHead box;
    box.size = in.U32();
    box.type = in.Take(4);
    if (box.size == 1) {  // a 64-bit size follows the type
        box.size = in.Read(8);
        box.header = 16;
    } else if (box.size == 0) {
        box.size = rest;
    }
    if (!in.Ok() || box.size < box.header) return std::nullopt;
    return box;
}

// Each box of `data` in order, until `visit` answers false or a box claims more than there is.
void ForEachBox(std::string_view data, const BoxVisitor& visit) {
    while (data.size() >= 8) {
        Cursor head(data);
        const std::optional<BoxHead> box = ReadBoxHead(head, data.size());
        if (!box || box->size > data.size()) return;
        if (!visit(box->type, data.substr(static_cast<std::size_t>(box->header),
                                          static_cast<std::size_t>(box->size - box->header))))
            return;
        data.remove_prefix(static_cast<std::size_t>(box->size));
    }
}

// Bounds on what a file may make us keep: a crafted index of items or extents of no bytes
// each would otherwise cost memory and time without end.
constexpr std::size_t MostEntries = 1 << 16;
constexpr std::uint64_t MostItemBytes = 1u << 30;

struct Extent {
    std::uint64_t offset, length;
};

struct Item {
    std::string type;
    unsigned construction = 0;  // 0: in the file, 1: in the idat box
    std::vector<Extent> extents;
    std::vector<std::uint32_t> properties;  // indices into the property container
};

struct Reference {
    std::string type;
    std::uint32_t from;
    std::vector<std::uint32_t> to;
};

struct Meta {
    std::uint32_t primary = 0;
    std::map<std::uint32_t, Item> items;
    std::vector<std::pair<std::string_view, std::string_view>> properties;  // type, payload
    std::vector<Reference> references;
    std::string_view idat;
};

bool ReadLocations(Cursor in, Meta& meta) {
    const std::uint32_t version = in.U8();
    in.Read(3);
    const std::uint32_t sizes = in.U8(), more = in.U8();
    const unsigned offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4;
    const unsigned indexSize = version == 1 || version == 2 ? more & 15 : 0;
    const std::uint32_t count = version < 2 ? in.U16() : in.U32();
    std::size_t extents = 0;
    for (std::uint32_t i = 0; i < count && in.Ok(); ++i) {
        const std::uint32_t id = version < 2 ? in.U16() : in.U32();
        const unsigned construction = version >= 1 ? in.U16() & 15 : 0;
        in.U16();  // the data reference: always this file
        const std::uint64_t base = in.Read(baseSize);
        const std::uint32_t extentCount = in.U16();
        if (meta.items.size() >= MostEntries || (extents += extentCount) > MostEntries) return false;
        Item& item = meta.items[id];
        item.construction = construction;
        item.extents.clear();
        for (std::uint32_t e = 0; e < extentCount && in.Ok(); ++e) {
            in.Read(indexSize);
            const std::uint64_t offset = in.Read(offsetSize);
            item.extents.push_back({base + offset, in.Read(lengthSize)});
        }
    }
    return in.Ok();
}

bool ReadMeta(std::string_view payload, Meta& meta) {
    Cursor in(payload);
    in.Read(4);  // a full box: version and flags
    bool primary = false, ok = true;
    ForEachBox(in.Rest(), [&](std::string_view type, std::string_view data) {
        Cursor box(data);
        if (type == "pitm") {
            const std::uint32_t version = box.U8();
            box.Read(3);
            meta.primary = version == 0 ? box.U16() : box.U32();
            primary = box.Ok();
        } else if (type == "iinf") {
            const std::uint32_t version = box.U8();
            box.Read(3 + (version == 0 ? 2 : 4));
            ForEachBox(box.Rest(), [&](std::string_view entryType, std::string_view entry) {
                Cursor info(entry);
                const std::uint32_t entryVersion = info.U8();
                info.Read(3);
                if (entryType != "infe" || entryVersion < 2) return true;
                const std::uint32_t id = entryVersion == 2 ? info.U16() : info.U32();
                info.U16();  // protection
                const std::string_view itemType = info.Take(4);
                if (!info.Ok() || meta.items.size() >= MostEntries) return ok = false;
                meta.items[id].type = itemType;
                return true;
            });
        } else if (type == "iloc") {
            ok = ok && ReadLocations(box, meta);
        } else if (type == "iref") {
            const unsigned idSize = box.U8() == 0 ? 2 : 4;
            box.Read(3);
            ForEachBox(box.Rest(), [&](std::string_view referenceType, std::string_view entry) {
                Cursor reference(entry);
                Reference r{std::string(referenceType), static_cast<std::uint32_t>(reference.Read(idSize)), {}};
                const std::uint32_t count = reference.U16();
                for (std::uint32_t i = 0; i < count && reference.Ok(); ++i)
                    r.to.push_back(static_cast<std::uint32_t>(reference.Read(idSize)));
                if (!reference.Ok() || meta.references.size() >= MostEntries) return ok = false;
                meta.references.push_back(std::move(r));
                return true;
            });
        } else if (type == "iprp") {
            ForEachBox(data, [&](std::string_view inner, std::string_view contents) {
                if (inner == "ipco") {
                    ForEachBox(contents, [&](std::string_view propertyType, std::string_view property) {
                        meta.properties.emplace_back(propertyType, property);
                        return meta.properties.size() < MostEntries;
                    });
                } else if (inner == "ipma") {
                    Cursor map(contents);
                    const std::uint32_t version = map.U8(), flags = static_cast<std::uint32_t>(map.Read(3));
                    const std::uint32_t count = map.U32();
                    for (std::uint32_t i = 0; i < count && map.Ok(); ++i) {
                        const std::uint32_t id = version < 1 ? map.U16() : map.U32();
                        const std::uint32_t associations = map.U8();
                        if (!map.Ok() || meta.items.size() >= MostEntries) return ok = false;
                        Item& item = meta.items[id];
                        for (std::uint32_t a = 0; a < associations && map.Ok(); ++a) {
                            // The top bit says whether the property is essential; 0 is none.
                            const std::uint32_t index = (flags & 1) ? map.U16() & 0x7FFF : map.U8() & 0x7F;
                            if (index > 0) item.properties.push_back(index - 1);
                        }
                    }
                    ok = ok && map.Ok();
                }
                return true;
            });
        } else if (type == "idat") {
            meta.idat = data;
        }
        return ok;
    });
    return ok && primary;
}

// The payload of the item's first property of the type, if it has one.
std::optional<std::string_view> PropertyOf(const Meta& meta, const Item& item, std::string_view type) {
    for (const std::uint32_t index : item.properties)
        if (index < meta.properties.size() && meta.properties[index].first == type)
            return meta.properties[index].second;
    return std::nullopt;
}

// Where the property of the type stands among the item's, for the order of its transforms.
int PropertyRank(const Meta& meta, const Item& item, std::string_view type) {
    for (std::size_t i = 0; i < item.properties.size(); ++i)
        if (item.properties[i] < meta.properties.size() && meta.properties[item.properties[i]].first == type)
            return static_cast<int>(i);
    return -1;
}

std::optional<Size> SizeOf(const Meta& meta, const Item& item) {
    const std::optional<std::string_view> ispe = PropertyOf(meta, item, "ispe");
    if (!ispe) return std::nullopt;
    Cursor in(*ispe);
    in.Read(4);
    const std::uint32_t width = in.U32(), height = in.U32();
    if (!in.Ok() || width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    return Size{static_cast<int>(width), static_cast<int>(height)};
}

// The picture's irot (quarter turns anticlockwise) and imir (0: top and bottom exchanged,
// 1: left and right) as the orientation tag that stands it upright. They apply in the order
// the item lists them; a mirror before a turn is the opposite turn before the mirror.
int OrientationOf(const Meta& meta, const Item& item) {
    const std::optional<std::string_view> irot = PropertyOf(meta, item, "irot");
    const std::optional<std::string_view> imir = PropertyOf(meta, item, "imir");
    if (!irot && !imir) return 0;
    unsigned turns = irot && !irot->empty() ? static_cast<unsigned char>((*irot)[0]) & 3 : 0;
    if (imir && PropertyRank(meta, item, "imir") < PropertyRank(meta, item, "irot")) turns = (4 - turns) & 3;
    static constexpr int plain[4] = {1, 8, 3, 6}, leftRight[4] = {2, 7, 4, 5}, topBottom[4] = {4, 5, 2, 7};
    if (!imir || imir->empty()) return plain[turns];
    return (static_cast<unsigned char>((*imir)[0]) & 1) ? leftRight[turns] : topBottom[turns];
}

std::optional<std::string> ItemData(const Meta& meta, const Item& item, const ByteReader& read) {
    std::string data;
    for (const Extent& extent : item.extents) {
        if (item.construction == 1) {
            if (extent.offset > meta.idat.size()) return std::nullopt;
            const std::string_view rest = meta.idat.substr(static_cast<std::size_t>(extent.offset));
            if (extent.length > rest.size()) return std::nullopt;
            data += extent.length == 0 ? rest : rest.substr(0, static_cast<std::size_t>(extent.length));
        } else if (item.construction == 0) {
            // A length of 0 is the rest of the file.
            const std::uint64_t length = extent.length == 0 ? MostItemBytes : extent.length;
            if (length > MostItemBytes - data.size()) return std::nullopt;
            const std::string bytes = read(extent.offset, static_cast<std::size_t>(length));
            if (extent.length != 0 && bytes.size() != length) return std::nullopt;
            data += bytes;
        } else {
            return std::nullopt;
        }
        if (data.size() > MostItemBytes) return std::nullopt;
    }
    return data;
}

const Reference* ReferenceFrom(const Meta& meta, std::string_view type, std::uint32_t from) {
    for (const Reference& r : meta.references)
        if (r.type == type && r.from == from) return &r;
    return nullptr;
}

// An AV1 item, or a grid of them (its description: version, flags, rows and columns less
// one, then its size in fields of 16 or 32 bits).
std::optional<AvifCoded> CodedItem(const Meta& meta, std::uint32_t id, const ByteReader& read) {
    const auto found = meta.items.find(id);
    if (found == meta.items.end()) return std::nullopt;
    const Item& item = found->second;
    const std::optional<Size> size = SizeOf(meta, item);
    const std::optional<std::string> data = ItemData(meta, item, read);
    if (!size || !data) return std::nullopt;
    AvifCoded coded{*size, 1, 1, {}};
    if (item.type == "av01") {
        coded.tiles.push_back(*data);
        return coded;
    }
    if (item.type != "grid") return std::nullopt;
    Cursor grid(*data);
    grid.U8();
    const unsigned field = (grid.U8() & 1) ? 4 : 2;
    coded.rows = static_cast<int>(grid.U8()) + 1;
    coded.columns = static_cast<int>(grid.U8()) + 1;
    const auto width = grid.Read(field), height = grid.Read(field);
    const Reference* tiles = ReferenceFrom(meta, "dimg", id);
    if (!grid.Ok() || width != static_cast<std::uint64_t>(size->width) ||
        height != static_cast<std::uint64_t>(size->height) || !tiles ||
        tiles->to.size() != static_cast<std::size_t>(coded.rows * coded.columns))
        return std::nullopt;
    for (const std::uint32_t tile : tiles->to) {
        const auto tileItem = meta.items.find(tile);
        if (tileItem == meta.items.end() || tileItem->second.type != "av01") return std::nullopt;
        std::optional<std::string> tileData = ItemData(meta, tileItem->second, read);
        if (!tileData) return std::nullopt;
        coded.tiles.push_back(std::move(*tileData));
    }
    return coded;
}

// The auxiliary item that is the picture's alpha.
std::optional<std::uint32_t> AlphaItem(const Meta& meta, std::uint32_t picture) {
    for (const Reference& r : meta.references) {
        if (r.type != "auxl" || r.to.size() != 1 || r.to[0] != picture) continue;
        const auto item = meta.items.find(r.from);
        if (item == meta.items.end()) continue;
        const std::optional<std::string_view> auxC = PropertyOf(meta, item->second, "auxC");
        if (!auxC || auxC->size() < 4) continue;
        const std::string_view name = auxC->substr(4, auxC->find('\0', 4) - 4);
        if (name == "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha" || name == "urn:mpeg:hevc:2015:auxid:1")
            return r.from;
    }
    return std::nullopt;
}

// The largest of the reduced copies of the primary picture (each refers to it as its `thmb`)
// that is smaller than it.
std::optional<std::uint32_t> ThumbnailItem(const Meta& meta) {
    const auto primary = meta.items.find(meta.primary);
    const std::optional<Size> full = primary == meta.items.end() ? std::nullopt : SizeOf(meta, primary->second);
    std::optional<std::uint32_t> best;
    long long bestArea = 0;
    for (const Reference& r : meta.references) {
        if (r.type != "thmb" || std::find(r.to.begin(), r.to.end(), meta.primary) == r.to.end()) continue;
        const auto item = meta.items.find(r.from);
        const std::optional<Size> size = item == meta.items.end() ? std::nullopt : SizeOf(meta, item->second);
        if (!full || !size || size->width >= full->width || size->height >= full->height) continue;
        const long long area = 1LL * size->width * size->height;
        if (area > bestArea) best = r.from, bestArea = area;
    }
    return best;
}

std::optional<std::string> MetaBox(const ByteReader& read) {
    std::uint64_t at = 0;
    for (int step = 0; step < 64; ++step) {
        const std::string head = read(at, 16);
        Cursor in(head);
        // A box to the end of the file is never the meta box before the pictures' data.
        const std::optional<BoxHead> box = ReadBoxHead(in, 0);
        if (!box) return std::nullopt;
        if (box->type == "meta") {
            const std::uint64_t length = box->size - box->header;
            if (length > (16u << 20)) return std::nullopt;
            std::string meta = read(at + box->header, static_cast<std::size_t>(length));
            if (meta.size() != length) return std::nullopt;
            return meta;
        }
        at += box->size;
    }
    return std::nullopt;
}

}  // namespace

bool IsAvif(std::string_view head) {
    Cursor in(head);
    const std::uint32_t size = in.U32();
    if (!in.Ok() || in.Take(4) != "ftyp" || size < 16) return false;
    // The major brand, the minor version, then the compatible brands.
    std::string_view brands = head.substr(8, std::min<std::size_t>(size, head.size()) - 8);
    for (std::size_t at = 0; at + 4 <= brands.size(); at += at == 0 ? 8 : 4) {
        const std::string_view brand = brands.substr(at, 4);
        if (brand == "avif" || brand == "avis") return true;
    }
    return false;
}

std::optional<AvifLayout> ReadAvifLayout(const ByteReader& read, bool withData, HeifPicture which) {
    if (!IsAvif(read(0, 64))) return std::nullopt;
    return ReadHeifLayout(read, withData, which);
}

std::optional<AvifLayout> ReadHeifLayout(const ByteReader& read, bool withData, HeifPicture which) {
    const std::optional<std::string> metaBox = MetaBox(read);
    Meta meta;
    if (!metaBox || !ReadMeta(*metaBox, meta)) return std::nullopt;
    const std::optional<std::uint32_t> thumbnail = ThumbnailItem(meta);
    const std::uint32_t id = which == HeifPicture::Primary ? meta.primary : thumbnail.value_or(meta.primary);
    const auto found = meta.items.find(id);
    if (found == meta.items.end() || (which == HeifPicture::Thumbnail && !thumbnail)) return std::nullopt;
    const Item& item = found->second;
    const std::optional<Size> size = SizeOf(meta, item);
    if (!size) return std::nullopt;
    AvifLayout layout;
    layout.size = *size;
    if (which == HeifPicture::Primary && thumbnail) layout.thumbnail = SizeOf(meta, meta.items.at(*thumbnail));
    layout.orientation = OrientationOf(meta, item);
    // A picture may carry both a profile and an nclx box.
    for (const std::uint32_t index : item.properties) {
        if (index >= meta.properties.size() || meta.properties[index].first != "colr") continue;
        Cursor colour(meta.properties[index].second);
        const std::string_view kind = colour.Take(4);
        if (kind == "prof" || kind == "rICC") {
            layout.profile = colour.Rest();
        } else if (kind == "nclx") {
            AvifColourCoding coding;
            coding.primaries = static_cast<int>(colour.U16());
            coding.transfer = static_cast<int>(colour.U16());
            coding.matrix = static_cast<int>(colour.U16());
            coding.fullRange = (colour.U8() & 0x80) != 0;
            if (colour.Ok()) layout.coding = coding;
        }
    }
    if (!withData) return layout;
    layout.colour = CodedItem(meta, id, read);
    if (!layout.colour) return std::nullopt;
    if (const std::optional<std::uint32_t> alpha = AlphaItem(meta, id)) {
        layout.alpha = CodedItem(meta, *alpha, read);
        const Reference* premultiplied = ReferenceFrom(meta, "prem", id);
        layout.premultiplied = premultiplied && premultiplied->to.size() == 1 && premultiplied->to[0] == *alpha;
    }
    return layout;
}

std::optional<std::string> HeifExif(const ByteReader& read) {
    const std::optional<std::string> metaBox = MetaBox(read);
    Meta meta;
    if (!metaBox || !ReadMeta(*metaBox, meta)) return std::nullopt;
    const Item* exif = nullptr;
    for (const auto& [id, item] : meta.items) {
        if (item.type != "Exif") continue;
        const Reference* describes = ReferenceFrom(meta, "cdsc", id);
        const bool ofPrimary = describes && std::find(describes->to.begin(), describes->to.end(), meta.primary) !=
                                                describes->to.end();
        if (!exif || ofPrimary) exif = &item;
        if (ofPrimary) break;
    }
    // An Exif segment holds at most 64 KB; a camera's item isn't much larger.
    std::uint64_t length = 0;
    for (const Extent& extent : exif ? exif->extents : std::vector<Extent>{}) length += extent.length;
    if (!exif || length == 0 || length > (1u << 20)) return std::nullopt;
    const std::optional<std::string> data = ItemData(meta, *exif, read);
    // The offset of the TIFF header from the end of its own field, then the structure.
    if (!data || data->size() < 4) return std::nullopt;
    Cursor in(*data);
    const std::uint64_t from = 4ull + in.U32();
    if (from >= data->size()) return std::nullopt;
    return data->substr(static_cast<std::size_t>(from));
}

}  // namespace zylora::imaging
