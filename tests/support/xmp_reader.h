#pragma once
// For tests: reads an XMP packet with libxml2, a reader independent of the
// code that wrote it. A packet that is not well-formed XML reads as nullopt;
// otherwise the text of each document property it states, by a short name
// ("title", "author", "subject", "keywords", "creatorTool", "producer",
// "createDate", "modifyDate").
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <map>
#include <optional>
#include <string>

namespace vellumark::testsupport {

inline std::optional<std::map<std::string, std::string>> ReadXmpProperties(const std::string& packet) {
  xmlDocPtr doc = xmlReadMemory(packet.data(), static_cast<int>(packet.size()), "metadata.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return std::nullopt;
  std::map<std::string, std::string> properties;
  xmlXPathContextPtr context = xmlXPathNewContext(doc);
  const std::pair<const char*, const char*> namespaces[] = {
      {"rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"},
      {"dc", "http://purl.org/dc/elements/1.1/"},
      {"xmp", "http://ns.adobe.com/xap/1.0/"},
      {"pdf", "http://ns.adobe.com/pdf/1.3/"},
  };
  for (const auto& [prefix, uri] : namespaces) {
    xmlXPathRegisterNs(context, reinterpret_cast<const xmlChar*>(prefix), reinterpret_cast<const xmlChar*>(uri));
  }
  const std::pair<const char*, const char*> queries[] = {
      {"title", "//dc:title/rdf:Alt/rdf:li"},
      {"author", "//dc:creator/rdf:Seq/rdf:li"},
      {"subject", "//dc:description/rdf:Alt/rdf:li"},
      {"keywords", "//pdf:Keywords"},
      {"creatorTool", "//xmp:CreatorTool"},
      {"producer", "//pdf:Producer"},
      {"createDate", "//xmp:CreateDate"},
      {"modifyDate", "//xmp:ModifyDate"},
  };
  for (const auto& [name, query] : queries) {
    xmlXPathObjectPtr found = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query), context);
    if (found != nullptr && found->nodesetval != nullptr && found->nodesetval->nodeNr > 0) {
      xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[0]);
      properties[name] = text != nullptr ? reinterpret_cast<const char*>(text) : "";
      xmlFree(text);
    }
    xmlXPathFreeObject(found);
  }
  xmlXPathFreeContext(context);
  xmlFreeDoc(doc);
  return properties;
}

}  // namespace vellumark::testsupport
