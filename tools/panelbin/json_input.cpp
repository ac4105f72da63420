/* The bounded JSON reader: a SAX handler that builds the document itself.
 *
 * The library's own DOM builder looks every key up in the object it is
 * filling, which for an ordered object is a scan, so n keys took time
 * quadratic in n; here a key is checked against a hash set and appended. */
#include "tools/panelbin/json_input.h"

#include <unordered_set>
#include <vector>

#include "tools/panelbin/failure.h"

namespace {

class Builder : public nlohmann::json_sax<Json> {
public:
    explicit Builder(Json* root) : m_root(root) {}

    const std::string& problem() const { return m_problem; }

    bool null() override { return Add(Json(nullptr)); }
    bool boolean(bool value) override { return Add(Json(value)); }
    bool number_integer(number_integer_t value) override { return Add(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Add(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return Add(Json(value)); }
    bool string(string_t& value) override { return Add(Json(std::move(value))); }
    bool binary(binary_t& value) override { return Add(Json(std::move(value))); }

    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& key) override {
        if (!m_keys.back().insert(key).second)
            return Fail("key " + Echo(Json(key)) + " is given twice in one object");
        m_key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        return Fail("not JSON: " + ParseErrorText(error.what()));
    }

private:
    /* The parser's own words, without its "[json.exception.parse_error.101] "
     * and with the token it quotes cut short. */
    static std::string ParseErrorText(const std::string& what) {
        size_t end = what.find("] ");
        std::string text = end == std::string::npos ? what : what.substr(end + 2);
        const std::string lastRead = "last read: '";
        size_t token = text.find(lastRead);
        if (token != std::string::npos && text.size() - token > lastRead.size() + 40)
            text = text.substr(0, token + lastRead.size() + 40) + "...'";
        return text;
    }

    bool Fail(const std::string& text) {
        if (m_problem.empty()) m_problem = text;
        return false;
    }

    /* Places a value in the innermost open container, or as the root; returns
     * where it went. Appending to the object's own vector skips the lookup
     * the map's insert would make: the key is known to be new. */
    Json* Place(Json&& value) {
        if (m_open.empty()) {
            *m_root = std::move(value);
            return m_root;
        }
        Json& into = *m_open.back();
        if (into.is_array()) {
            into.get_ref<Json::array_t&>().push_back(std::move(value));
            return &into.get_ref<Json::array_t&>().back();
        }
        auto& members = static_cast<Json::object_t::Container&>(into.get_ref<Json::object_t&>());
        members.emplace_back(std::move(m_key), std::move(value));
        return &members.back().second;
    }

    bool Add(Json&& value) {
        Place(std::move(value));
        return true;
    }

    bool Open(Json&& container) {
        if (m_open.size() >= kMaxDocumentDepth)
            return Fail("nested deeper than " + std::to_string(kMaxDocumentDepth) + " levels");
        const bool object = container.is_object();
        /* A container's address holds while it is open: its parent grows
         * only after it is closed. */
        m_open.push_back(Place(std::move(container)));
        if (object) m_keys.emplace_back();
        return true;
    }

    bool Close() {
        if (m_open.back()->is_object()) m_keys.pop_back();
        m_open.pop_back();
        return true;
    }

    Json* m_root;
    std::vector<Json*> m_open;
    std::vector<std::unordered_set<std::string>> m_keys; /* of each open object */
    std::string m_key;
    std::string m_problem;
};

}  // namespace

Json ParseDocument(const std::string& text, const std::string& name) {
    if (text.size() > kMaxDocumentBytes)
        throw Failure(kExitFailed, name + ": not read: larger than " +
                                       std::to_string(kMaxDocumentBytes >> 20) + " MB");
    Json document;
    Builder builder(&document);
    if (!Json::sax_parse(text, &builder))
        throw Failure(kExitFailed, name + ": " + builder.problem());
    return document;
}
