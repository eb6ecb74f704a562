<?xml version="1.0" encoding="UTF-8"?>
<!-- Renders the exported call list as a table in a browser. Clicking a
     column heading sorts by it (a small script; without scripts the list
     stays in the order it was exported). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8" indent="yes"
              doctype-system="about:legacy-compat"/>

  <xsl:template match="/calls">
    <html>
      <head>
        <meta charset="UTF-8"/>
        <title>Call List</title>
        <style>
          body { font-family: sans-serif; margin: 1.5em; color: #222; }
          h1 { font-size: 1.4em; margin-bottom: 0.2em; }
          .summary { color: #555; margin-bottom: 1em; }
          .summary span { margin-right: 2em; }
          table { border-collapse: collapse; width: 100%; }
          th, td { padding: 0.35em 0.7em; text-align: left; vertical-align: top; }
          th { background: #2f5d8a; color: #fff; cursor: pointer; user-select: none;
               white-space: nowrap; }
          th::after { content: " \2195"; opacity: 0.6; }
          th.asc::after { content: " \2191"; opacity: 1; }
          th.desc::after { content: " \2193"; opacity: 1; }
          tr:nth-child(even) td { background: #f0f4f8; }
          td.memo { white-space: pre-wrap; }
          td.num, td.len { font-variant-numeric: tabular-nums; white-space: nowrap; }
          .empty { color: #777; font-style: italic; }
        </style>
      </head>
      <body>
        <h1>Call List</h1>
        <xsl:apply-templates select="report"/>
        <xsl:choose>
          <xsl:when test="call">
            <table id="calls">
              <thead>
                <tr>
                  <th data-type="date">Date</th>
                  <th>Time</th>
                  <th>From</th>
                  <th>Number</th>
                  <th data-type="length">Length</th>
                  <th>Memo</th>
                </tr>
              </thead>
              <tbody>
                <xsl:apply-templates select="call"/>
              </tbody>
            </table>
          </xsl:when>
          <xsl:otherwise>
            <p class="empty">No calls.</p>
          </xsl:otherwise>
        </xsl:choose>
        <script>
          <xsl:text><![CDATA[
(function () {
  var table = document.getElementById('calls');
  if (!table) return;
  function key(cell, type, row) {
    var t = cell.textContent;
    if (type === 'length') {
      return t.split(':').reduce(function (a, p) { return a * 60 + (parseInt(p, 10) || 0); }, 0);
    }
    if (type === 'date') return parseInt(row.getAttribute('data-order'), 10);
    return t.toLowerCase();
  }
  var heads = table.tHead.rows[0].cells;
  Array.prototype.forEach.call(heads, function (th, col) {
    th.addEventListener('click', function () {
      var asc = !th.classList.contains('asc');
      Array.prototype.forEach.call(heads, function (h) { h.classList.remove('asc', 'desc'); });
      th.classList.add(asc ? 'asc' : 'desc');
      var body = table.tBodies[0];
      var rows = Array.prototype.slice.call(body.rows);
      var type = th.getAttribute('data-type');
      rows.sort(function (a, b) {
        var x = key(a.cells[col], type, a), y = key(b.cells[col], type, b);
        return (x < y ? -1 : x > y ? 1 : 0) * (asc ? 1 : -1);
      });
      rows.forEach(function (r) { body.appendChild(r); });
    });
  });
})();
]]></xsl:text>
        </script>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="report">
    <div class="summary">
      <span>Exported: <xsl:value-of select="currentdate"/></span>
      <xsl:if test="string(startdate)">
        <span>Period: <xsl:value-of select="startdate"/> – <xsl:value-of select="enddate"/></span>
      </xsl:if>
      <span>Calls: <xsl:value-of select="count(../call)"/></span>
      <span>Total length: <xsl:value-of select="totalcallen"/></span>
    </div>
  </xsl:template>

  <xsl:template match="call">
    <tr data-order="{position()}">
      <td><xsl:value-of select="date"/></td>
      <td><xsl:value-of select="time"/></td>
      <td><xsl:value-of select="name"/></td>
      <td class="num"><xsl:value-of select="number"/></td>
      <td class="len"><xsl:value-of select="length"/></td>
      <td class="memo"><xsl:value-of select="memo"/></td>
    </tr>
  </xsl:template>
</xsl:stylesheet>
