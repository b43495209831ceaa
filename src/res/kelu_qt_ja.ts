<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!--
  The words of Qt's own dialogs that Qt 6.4's Japanese catalogue (qtbase_ja.qm) lacks, as the
  file and print dialogs show them. Each context is the class that asks for the text, and each
  source is the text as Qt 6.4 asks for it, comment included: a message that differs by a single
  letter is not found and shows in English again. Loaded after Qt's catalogue (InstallJapanese),
  so that it only fills the gaps.
-->
<TS version="2.1" language="ja_JP">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>フォルダ</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>ドライブ</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Pages</source>
        <translation>ページ指定</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>印刷するページか範囲をコンマで区切って書きます。範囲は 2 つの数をハイフンでつなぎます。例: 3,5-7,9 は 3、5、6、7、9 ページを印刷します。</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>両面印刷</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>しない</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>長辺綴じ</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>短辺綴じ</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>ページ指定の誤り</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 は正しい書き方ではありません。ページと範囲は「,」で区切り、範囲は「-」でつなぎ、範囲どうしが重ならないようにしてください。</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>両面印刷の設定の矛盾</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>両面印刷の設定が矛盾しています。直しますか?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>詳細設定</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>矛盾している設定があります。直してください。</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>ページ設定の矛盾</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>ページ設定が矛盾しています。直しますか?</translation>
    </message>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>詳細設定の矛盾</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>詳細設定が矛盾しています。直しますか?</translation>
    </message>
</context>
</TS>
