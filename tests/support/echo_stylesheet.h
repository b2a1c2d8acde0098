// A stylesheet whose output is its input document, so tests can check the
// documents that the pages are made from.
#ifndef KILNBOOK_TESTS_SUPPORT_ECHO_STYLESHEET_H_
#define KILNBOOK_TESTS_SUPPORT_ECHO_STYLESHEET_H_

namespace kilnbook {

// Writes the declaration line, every element with its attributes and every
// text node as text, so a document whose values hold no entities comes back
// byte for byte (xsl:copy-of would shorten empty elements to "<X/>").
inline constexpr const char kEchoStylesheet[] =
    R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="text" encoding="UTF-8"/>
<xsl:template match="/"><xsl:text>&lt;?xml version="1.0"?&gt;&#10;</xsl:text><xsl:apply-templates/><xsl:text>&#10;</xsl:text></xsl:template>
<xsl:template match="*"><xsl:text>&lt;</xsl:text><xsl:value-of select="name()"/><xsl:for-each select="@*"><xsl:text> </xsl:text><xsl:value-of select="name()"/><xsl:text>="</xsl:text><xsl:value-of select="."/><xsl:text>"</xsl:text></xsl:for-each><xsl:text>&gt;</xsl:text><xsl:apply-templates/><xsl:text>&lt;/</xsl:text><xsl:value-of select="name()"/><xsl:text>&gt;</xsl:text></xsl:template>
<xsl:template match="text()"><xsl:value-of select="."/></xsl:template>
</xsl:stylesheet>
)xsl";

}  // namespace kilnbook

#endif  // KILNBOOK_TESTS_SUPPORT_ECHO_STYLESHEET_H_
