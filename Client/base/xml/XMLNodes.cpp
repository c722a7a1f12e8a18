#include "base/xml/XMLNodes.h"

namespace NLXML {

CXMLMultiNode::~CXMLMultiNode() {
    for (CXMLNode* child : children_) delete child;
}

void CXMLMultiNode::AppendChild(CXMLNode* child) {
    children_.PushBack(child);
    cursor_ = 0;
}

CXMLElement::~CXMLElement() {
    for (CXMLAttribute* attribute : attributes_) delete attribute;
}

void CXMLElement::SetAttribute(const String& name, const String& value) {
    if (!byName_) byName_ = std::make_unique<HashMap<String, CXMLAttribute*>>();
    if (auto* node = byName_->Find(name)) {
        node->data->SetValue(value);
        return;
    }
    auto* attribute = new CXMLAttribute(name, value);
    attributes_.PushBack(attribute);
    byName_->Insert(name, attribute);
}

const CXMLAttribute* CXMLElement::FindAttribute(const String& name) const {
    auto* node = byName_ ? byName_->Find(name) : nullptr;
    return node ? node->data : nullptr;
}

}  // namespace NLXML
