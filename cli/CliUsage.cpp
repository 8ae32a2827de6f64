#include "CliOptions.h"

namespace torvel {

std::string cliUsage()
{
    return R"(使い方: torvel-cli [オプション]... ファイル...
      torvel-cli [オプション]... フォルダ
      torvel-cli --undo [--dry-run]

ファイルに「識別名 + 連番 + 拡張子」の新しい名前を付けます。フォルダを一つ
指定すると、その中のファイルを対象にします。指定しなかったオプションは
TORVEL の設定ファイル (torvel.ini) の値を使います。保存方法だけは設定ファイル
を使わず、--move か --copy を指定しない限り、その場で名前を変更します。

名前の付け方:
  -i, --identifier=識別名     新しい名前の先頭
  -s, --start=番号            最初の連番 (0〜32000)
  -d, --digits=桁数           連番の桁数 (1〜5)
  -e, --extension=拡張子      拡張子をこれに変える
      --keep-extension        拡張子を変えない
      --upper, --lower        名前を大文字・小文字にする
      --keep-case             大文字・小文字を変えない
  -k, --keep-number           ファイル名の末尾の数字を連番として使う
      --keep-number-identifier  そのとき数字の前を識別名にする
      --number-only           末尾の数字を使わず、並べた順に番号を付ける
      --sort=順序             name, name-desc, newest, oldest, smallest, largest,
                              natural, natural-desc, shot-oldest, shot-newest
      --only=拡張子[,拡張子]  この拡張子のファイルだけを対象にする

実行:
      --rename                その場で名前を変更する (既定)
      --move=フォルダ         新しい名前でフォルダに移動する
      --copy=フォルダ         新しい名前でフォルダにコピーする
      --no-duplicates         同じ名前のファイルがあれば、そのファイルは変換しない
      --replace-duplicates    同じ名前のファイルをごみ箱に移動して変換する
                              (端末ではたずねる。たずねられないときは変換しない)
  -y, --yes                   ごみ箱に移動してよいかをたずねず、すべて移動する
      --same-name             拡張子だけが違う同名ファイルも一緒に変換する
      --no-same-name          同名ファイルは変換しない
  -n, --dry-run               何も変更せず、元の名前 → 新しい名前 を表示する
      --undo                  最後の実行を元に戻す (フォルダは指定できない。
                              --dry-run と一緒なら、戻す内容を表示するだけ)
  -h, --help                  この説明を表示する
  -V, --version               版を表示する
      --                      これより後はすべてファイル名として扱う

終了状態: 0 すべてのファイルが新しい名前になった (--dry-run では、
表示した行がすべてそのまま変換できる)、1 変換できなかったファイルがある、
2 コマンドラインの誤り。
)";
}

} // namespace torvel
