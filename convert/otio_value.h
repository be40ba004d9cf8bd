// JSON values of a timeline as the reader reads them: a tree kept flat in one array of
// nodes, its texts end to end in one string. A tree is filled from the stream's events and
// cleared for the next item with its memory kept, so reading an item allocates nothing once
// the first items have been read. Read through Value, which answers as much as the reader asks
// of a JSON value.
#ifndef EDLBRIDGE_TOOLS_OTIO_VALUE_H
#define EDLBRIDGE_TOOLS_OTIO_VALUE_H

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace edlbtool {
namespace otio {

class Tree;

// A value in a tree. Members of an object and entries of a list follow their container,
// each after the whole of the one before.
class Value {
public:
    enum class Kind : uint8_t { Null, Bool, Int, Uint, Double, String, Array, Object };

    bool is_null() const { return kind_ == Kind::Null; }
    bool is_boolean() const { return kind_ == Kind::Bool; }
    bool is_number_integer() const { return kind_ == Kind::Int || kind_ == Kind::Uint; }
    bool is_number_unsigned() const { return kind_ == Kind::Uint; }
    bool is_number() const { return is_number_integer() || kind_ == Kind::Double; }
    bool is_string() const { return kind_ == Kind::String; }
    bool is_array() const { return kind_ == Kind::Array; }
    bool is_object() const { return kind_ == Kind::Object; }

    bool boolean() const { return scalar_.b; }
    // As nlohmann's get<double>() and get<int64_t>() give them.
    double number() const;
    int64_t integer() const;
    std::string string() const;
    bool equals(const char* text) const;

    // The member under key (the last of several), or null.
    const Value* find(const char* key) const;
    // The key of a member of an object.
    std::string key() const;
    // Members or entries.
    size_t size() const { return count_; }

    class Iterator {
    public:
        Iterator(const Value* at, size_t left) : at_(at), left_(left) {}
        const Value& operator*() const { return *at_; }
        const Value* operator->() const { return at_; }
        Iterator& operator++();
        bool operator!=(const Iterator& other) const { return left_ != other.left_; }

    private:
        const Value* at_;
        size_t left_;
    };
    Iterator begin() const { return Iterator(count_ > 0 ? this + 1 : nullptr, count_); }
    Iterator end() const { return Iterator(nullptr, 0); }
    // The entry at index (counted from the first).
    const Value& operator[](size_t index) const;

private:
    friend class Tree;
    const Tree* tree_ = nullptr;
    Kind kind_ = Kind::Null;
    uint32_t count_ = 0;      // members or entries
    uint64_t keyAt_ = 0;
    uint32_t keyLength_ = 0;
    uint64_t span_ = 1;       // nodes of this value and all it holds
    union {
        bool b;
        int64_t i;
        uint64_t u;
        double d;
        struct {
            uint64_t at;
            uint32_t length;
        } s;
    } scalar_ = {};
};

// A tree filled value by value as a SAX reader gives them: key() before each member's value,
// open()/close() around containers. Cleared for the next value with its memory kept.
class Tree {
public:
    Tree() = default;
    Tree(const Tree& other) { *this = other; }
    Tree& operator=(const Tree& other);

    void clear();
    void key(const char* text, size_t length);
    void null();
    void boolean(bool b);
    void integer(int64_t i);
    void uinteger(uint64_t u);
    void number(double d);
    void string(const char* text, size_t length);
    void open(bool object);
    void close();
    // The value at the top, once it is complete.
    const Value& root() const { return nodes_.front(); }
    bool complete() const { return !nodes_.empty() && open_.empty(); }
    // A value of another tree, with all it holds (as a member under key when key is set).
    void copy(const Value& value, const char* key = nullptr);
    // A value read whole by nlohmann's parser.
    void copy(const nlohmann::json& value, const std::string* key = nullptr);

    const char* text(uint64_t at) const { return texts_.data() + at; }

private:
    Value& add(Value::Kind kind);

    std::vector<Value> nodes_;
    std::string texts_;
    std::vector<size_t> open_;  // the containers open, innermost last
    bool keyed_ = false;
    uint64_t keyAt_ = 0;
    uint32_t keyLength_ = 0;
};

// A tree of its own for a value: a copy of value, or of a value read whole.
std::shared_ptr<const Tree> ownTree(const Value& value);
std::shared_ptr<const Tree> ownTree(const nlohmann::json& value);
// A value as nlohmann's parser would have read it.
nlohmann::json toJson(const Value& value);

}  // namespace otio
}  // namespace edlbtool

#endif
