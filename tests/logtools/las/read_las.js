// Reads a LAS file with las-js, a reader independent of ours, and prints
// what it understood as JSON: version, wrap, curve names, units and
// descriptions, row and
// column counts, well fields and the number of null values per column.
const { Las } = require('las-js');

async function main() {
  const las = new Las(process.argv[2]);
  const headers = await las.header();
  const data = await las.data();
  const curves = await las.curveParams();
  const well = await las.wellParams();
  const nulls = headers.map((_, c) => data.filter((row) => Number(row[c]) === -999.25).length);
  const out = {
    version: await las.version(),
    wrap: await las.wrap(),
    headers,
    units: headers.map((h) => (curves[h] ? curves[h].unit : null)),
    descriptions: headers.map((h) => (curves[h] ? curves[h].description : null)),
    rowCount: await las.rowCount(),
    columnCount: await las.columnCount(),
    first: data.length ? data[0].map(Number) : [],
    nulls,
    well: Object.fromEntries(Object.entries(well).map(([k, v]) => [k, v.value])),
  };
  process.stdout.write(JSON.stringify(out));
}
main().catch((e) => {
  process.stderr.write(String(e) + '\n');
  process.exit(1);
});
