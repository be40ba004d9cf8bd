// The flat tree of JSON values the timeline reader reads items into.
#include "otio_value.h"

#include <nlohmann/json.hpp>

#include <cstring>

namespace edlbtool {
namespace otio {

double Value::number() const {
    switch (kind_) {
        case Kind::Int: return static_cast<double>(scalar_.i);
        case Kind::Uint: return static_cast<double>(scalar_.u);
        case Kind::Double: return scalar_.d;
        default: return 0;
    }
}

int64_t Value::integer() const {
    switch (kind_) {
        case Kind::Int: return scalar_.i;
        case Kind::Uint: return static_cast<int64_t>(scalar_.u);
        case Kind::Double: return static_cast<int64_t>(scalar_.d);
        default: return 0;
    }
}

std::string Value::string() const {
    return kind_ == Kind::String ? std::string(tree_->text(scalar_.s.at), scalar_.s.length)
                                 : std::string();
}

bool Value::equals(const char* text) const {
    return kind_ == Kind::String && std::strlen(text) == scalar_.s.length &&
           std::memcmp(tree_->text(scalar_.s.at), text, scalar_.s.length) == 0;
}

const Value* Value::find(const char* key) const {
    if (kind_ != Kind::Object) return nullptr;
    const size_t length = std::strlen(key);
    const Value* found = nullptr;
    for (const Value& member : *this) {
        if (member.keyLength_ == length &&
            std::memcmp(tree_->text(member.keyAt_), key, length) == 0) {
            found = &member;
        }
    }
    return found;
}

std::string Value::key() const {
    return std::string(tree_->text(keyAt_), keyLength_);
}

Value::Iterator& Value::Iterator::operator++() {
    at_ += at_->span_;
    --left_;
    return *this;
}

const Value& Value::operator[](size_t index) const {
    Iterator it = begin();
    for (size_t i = 0; i < index; ++i) ++it;
    return *it;
}

Tree& Tree::operator=(const Tree& other) {
    if (this == &other) return *this;
    nodes_ = other.nodes_;
    texts_ = other.texts_;
    open_ = other.open_;
    keyed_ = other.keyed_;
    keyAt_ = other.keyAt_;
    keyLength_ = other.keyLength_;
    for (Value& node : nodes_) node.tree_ = this;
    return *this;
}

void Tree::clear() {
    nodes_.clear();
    texts_.clear();
    open_.clear();
    keyed_ = false;
}

void Tree::key(const char* text, size_t length) {
    keyed_ = true;
    keyAt_ = texts_.size();
    keyLength_ = static_cast<uint32_t>(length);
    texts_.append(text, length);
}

Value& Tree::add(Value::Kind kind) {
    if (!open_.empty()) ++nodes_[open_.back()].count_;
    nodes_.emplace_back();
    Value& node = nodes_.back();
    node.tree_ = this;
    node.kind_ = kind;
    if (keyed_) {
        node.keyAt_ = keyAt_;
        node.keyLength_ = keyLength_;
        keyed_ = false;
    }
    node.span_ = 1;
    return node;
}

void Tree::null() { add(Value::Kind::Null); }
void Tree::boolean(bool b) { add(Value::Kind::Bool).scalar_.b = b; }
void Tree::integer(int64_t i) { add(Value::Kind::Int).scalar_.i = i; }
void Tree::uinteger(uint64_t u) {
    if (u <= static_cast<uint64_t>(INT64_MAX)) {
        integer(static_cast<int64_t>(u));
    } else {
        add(Value::Kind::Uint).scalar_.u = u;
    }
}
void Tree::number(double d) { add(Value::Kind::Double).scalar_.d = d; }

void Tree::string(const char* text, size_t length) {
    Value& node = add(Value::Kind::String);
    node.scalar_.s.at = texts_.size();
    node.scalar_.s.length = static_cast<uint32_t>(length);
    texts_.append(text, length);
}

void Tree::open(bool object) {
    add(object ? Value::Kind::Object : Value::Kind::Array);
    open_.push_back(nodes_.size() - 1);
}

void Tree::close() {
    nodes_[open_.back()].span_ = nodes_.size() - open_.back();
    open_.pop_back();
}

void Tree::copy(const Value& value, const char* key) {
    if (key != nullptr) this->key(key, std::strlen(key));
    if (value.is_object() || value.is_array()) {
        open(value.is_object());
        for (const Value& inner : value) {
            const std::string name = value.is_object() ? inner.key() : std::string();
            copy(inner, value.is_object() ? name.c_str() : nullptr);
        }
        close();
        return;
    }
    switch (value.kind_) {
        case Value::Kind::Null: null(); return;
        case Value::Kind::Bool: boolean(value.scalar_.b); return;
        case Value::Kind::Int: integer(value.scalar_.i); return;
        case Value::Kind::Uint: uinteger(value.scalar_.u); return;
        case Value::Kind::Double: number(value.scalar_.d); return;
        default: {
            const std::string text = value.string();
            string(text.data(), text.size());
            return;
        }
    }
}

void Tree::copy(const nlohmann::json& value, const std::string* key) {
    if (key != nullptr) this->key(key->data(), key->size());
    if (value.is_object()) {
        open(true);
        for (auto it = value.begin(); it != value.end(); ++it) copy(it.value(), &it.key());
        close();
    } else if (value.is_array()) {
        open(false);
        for (const nlohmann::json& inner : value) copy(inner);
        close();
    } else if (value.is_boolean()) {
        boolean(value.get<bool>());
    } else if (value.is_number_unsigned()) {
        uinteger(value.get<uint64_t>());
    } else if (value.is_number_integer()) {
        integer(value.get<int64_t>());
    } else if (value.is_number()) {
        number(value.get<double>());
    } else if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        string(text.data(), text.size());
    } else {
        null();
    }
}

nlohmann::json toJson(const Value& value) {
    if (value.is_object()) {
        nlohmann::json out = nlohmann::json::object();
        for (const Value& member : value) out[member.key()] = toJson(member);
        return out;
    }
    if (value.is_array()) {
        nlohmann::json out = nlohmann::json::array();
        for (const Value& entry : value) out.push_back(toJson(entry));
        return out;
    }
    if (value.is_boolean()) return value.boolean();
    if (value.is_number_unsigned()) return static_cast<uint64_t>(value.integer());
    if (value.is_number_integer()) return value.integer();
    if (value.is_number()) return value.number();
    if (value.is_string()) return value.string();
    return nullptr;
}

std::shared_ptr<const Tree> ownTree(const Value& value) {
    std::shared_ptr<Tree> tree = std::make_shared<Tree>();
    tree->copy(value);
    return tree;
}

std::shared_ptr<const Tree> ownTree(const nlohmann::json& value) {
    std::shared_ptr<Tree> tree = std::make_shared<Tree>();
    tree->copy(value);
    return tree;
}

}  // namespace otio
}  // namespace edlbtool
