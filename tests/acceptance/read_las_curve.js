// Reads one curve of a LAS file with las-js, a reader independent of ours,
// and prints "depth value" lines: the first column and the named one.
const { Las } = require('las-js');

async function main() {
  const las = new Las(process.argv[2]);
  const headers = await las.header();
  const column = headers.indexOf(process.argv[3]);
  if (column < 0) throw new Error('no curve ' + process.argv[3] + ' among ' + headers.join(' '));
  const data = await las.data();
  const lines = data.map((row) => Number(row[0]) + ' ' + Number(row[column]));
  process.stdout.write(lines.join('\n') + '\n');
}
main().catch((e) => {
  process.stderr.write(String(e) + '\n');
  process.exit(1);
});
